// What the contract tests need from the machine they run on, beyond the platform
// operations under test: a folder for test files and the set-up of registry keys
// and printers. One implementation per side: side_sim.cpp (the simulated machine,
// through its control API) and side_win.cpp (Windows or Wine, through the system).
#pragma once

#include <string>

#include "platform/text.h"
#include "platform/types.h"

namespace contract {

// Called before each test and after it.
void SetUpMachine();
void TearDownMachine();

// True when the tests run under Wine: the place where Wine's known differences
// from Windows are told apart.
bool OnWine();
// Notes a known difference between Wine and Windows in the test output.
void KnownWineDifference(const char* what);

// After a call a test makes against a documented rule on purpose: the simulated
// machine must have recorded a violation of the function (a test failure if not),
// which is then forgotten, so that the test does not fail for it at its end.
// Windows records nothing.
void ExpectViolation(const char* function);

// A folder for the test's files, as a Windows path ending with a backslash.
WString TestDir();
// Writes the bytes as the file TestDir() + name.
void WriteTestFile(const WString& name, const std::string& bytes);

// Registry: a key below HKEY_CURRENT_USER that the test owns, with its values.
// Paths are relative to HKEY_CURRENT_USER.
bool CreateRegistryKey(const WString& path);
bool SetRegistryString(const WString& path, const WString& name, const WString& value);
bool SetRegistryDword(const WString& path, const WString& name, DWORD value);
void DeleteRegistryTree(const WString& path);

// Whether rundll32 runs a printer-UI stand-in for PRINTUI.DLL,PrintUIEntry: the
// simulated one, or under Wine tools/printui (tests/wine/contract.sh puts it in the
// prefix). On Windows the system's own entry runs, which wants a real driver package.
bool PrinterUiStandIn();

// Both texts of `length` code units compared without regard to letter case the way the
// program does on XP: on Windows upper-cased by LCMapStringW with the invariant locale;
// on the simulated machine, which has one rule, as text::EqualIgnoringCase compares.
bool EqualUpperCasedAsOnXp(const WCHAR* a, const WCHAR* b, size_t length);

// Spooler: a driver (Wine's PostScript driver files on Windows) and local printers.
bool AddPrinterDriver(const WString& driver);
bool AddLocalPrinter(const WString& name, const WString& port, const WString& driver);
// Removes the printers whose names begin with the prefix (letter case aside) and the
// driver again, whatever state the test left.
void RemovePrinters(const WString& namePrefix, const WString& driver);

}  // namespace contract

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

// Spooler: a driver (Wine's PostScript driver files on Windows) and local printers.
bool AddPrinterDriver(const WString& driver);
bool AddLocalPrinter(const WString& name, const WString& port, const WString& driver);
// Removes the printers and the driver again, whatever state the test left.
void RemovePrinters(const WString& namePrefix, const WString& driver);

}  // namespace contract

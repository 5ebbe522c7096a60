// The plain logic of the spooler and driver operations, without the platform:
// which printer names belong to a chosen name, the printer-UI command texts, the
// driver INF's model lines and the launcher's error messages. Every function works
// on NUL-terminated UTF-16 text and keeps no state.
#pragma once

#include <cstddef>

#include "platform/text.h"
#include "platform/types.h"

namespace spooler {

// Room for one printer-UI command, terminating NUL included. The longest command
// the field capacities allow (199-character name and port, 259-character path) has
// 909 characters.
constexpr size_t kCommandCapacity = 1024;

// The caller's hardware-ID byte buffer. An ID is stored one byte per character
// with no terminator, so it may have at most kHardwareIdBytes - 1 characters for
// the caller's zero filling to end it.
constexpr size_t kHardwareIdBytes = 1024;

// --- printer names -----------------------------------------------------------------
// The printer is named exactly `name` (letter case included). An empty name names
// no printer.
bool IsSameName(const WCHAR* printer, const WCHAR* name);

// The printer carries a copy name of `name` (length n): it has more than n + 2
// characters, begins with the name, and has an opening parenthesis at index n + 1,
// as in "A (Copy 1)" or "AB(2)" for "A". The character at index n is not examined.
// An empty name has no copies.
bool IsCopyName(const WCHAR* printer, const WCHAR* name);

// --- printer-UI commands -----------------------------------------------------------
// Each writes the command for rundll32 into `out`. The values go between quotation
// marks as they stand, so a value that holds a quotation mark would end its quoted
// part early and turn the rest into switches of its own: such a value is refused,
// as is a command that does not fit. On refusal `out` is empty and false is returned.

// PRINTUI.DLL,PrintUIEntry /if /n "printer" /f "inf" /r "port" /m "printer" (with a final blank)
bool ComposeInstallCommand(WCHAR* out, size_t capacity, const WCHAR* printer, const WCHAR* inf, const WCHAR* port);
// PRINTUI.DLL,PrintUIEntry /y /q /n "printer"
bool ComposeSetDefaultCommand(WCHAR* out, size_t capacity, const WCHAR* printer);
// PRINTUI.DLL,PrintUIEntry /k /q /n "printer"
bool ComposeTestPageCommand(WCHAR* out, size_t capacity, const WCHAR* printer);

// --- the launcher --------------------------------------------------------------------
// The English message shown when rundll32 could not be started, chosen by the
// last-error code; "Other error occurred." for every code without a message of its own.
const WCHAR* LauncherMessage(DWORD error);

// --- driver INF model lines ------------------------------------------------------------
// The quoted name as the driver INF spells it: every "Korvel" written "KORVEL".
WString InfModelName(const WCHAR* quotedName);

// Whether `line` is an accepted model line for the match text, whose first
// `matchLength` characters must begin the line exactly. A line is accepted when
// `USB` occurs after its first comma; the hardware ID is the text strictly between
// the first and the second comma (empty without a second comma), blanks included.
// A line whose ID would not fit the ID buffer (kHardwareIdBytes or more
// characters) has no usable ID and is not accepted.
bool AcceptModelLine(const WCHAR* line, const WCHAR* matchText, int matchLength, WString& hardwareId);

}  // namespace spooler

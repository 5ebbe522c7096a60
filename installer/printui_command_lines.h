// The command lines for rundll32 that run the printer-UI entry point: installing
// the driver and creating the printer, making it the default, printing a test page.
#pragma once

#include <cstddef>

#include "platform/types.h"

namespace printui {

// Room for one command, terminating NUL included. The longest command the field
// capacities allow has 1765 characters: a 199-character name (twice), a 259-character
// path and a 199-character port, each made only of backslashes, which are doubled.
constexpr size_t kCommandCapacity = 1800;

// Each writes its command into `out`. The values go between quotation marks, with
// the backslashes they end with doubled, so that the entry's split
// (CommandLineToArgvW) gives each back as it stands. A value that holds a quotation
// mark would end its quoted part early and turn the rest into switches of its own:
// such a value is refused, as is a command that does not fit. On refusal `out` is
// empty and false is returned.

// PRINTUI.DLL,PrintUIEntry /if /n "printer" /f "inf" /r "port" /m "printer" (with a final blank);
// quiet: PRINTUI.DLL,PrintUIEntry /if /q /n ..., which shows no error of its own.
bool ComposeInstallCommand(WCHAR* out, size_t capacity, const WCHAR* printer, const WCHAR* inf, const WCHAR* port,
                           bool quiet = false);
// PRINTUI.DLL,PrintUIEntry /y /q /n "printer"
bool ComposeSetDefaultCommand(WCHAR* out, size_t capacity, const WCHAR* printer);
// PRINTUI.DLL,PrintUIEntry /k /q /n "printer"
bool ComposeTestPageCommand(WCHAR* out, size_t capacity, const WCHAR* printer);

}  // namespace printui

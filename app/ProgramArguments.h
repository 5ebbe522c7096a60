// The program's arguments in its command line. A launcher that calls CreateProcessW with
// the program's path and no command line of its own passes the path as the command
// line, without quotation marks: D:\My Setup\KorvelSetup.exe would split into
// "D:\My" and "Setup\KorvelSetup.exe" by Windows' rule. So the program first looks for
// its own path at the start, quoted or not, letter case aside, and only then splits the
// program name off by Windows' rule.
#pragma once

#include <vector>

#include "platform/text.h"
#include "platform/types.h"

namespace program_arguments {

// What follows the program name in `commandLine` (as GetCommandLineW gives it): after
// `modulePath` when the line begins with it, in quotation marks or followed by a blank,
// a tab or the end; else after the first word by Windows' rule (to the next quotation
// mark when it begins with one, else to the first blank or tab). Never null.
LPCWSTR After(LPCWSTR commandLine, LPCWSTR modulePath);

// The same for this process: GetCommandLineW, and GetModuleFileNameW for the path.
LPCWSTR OfThisProcess();

// The arguments of an argument text, split by Windows' rule (CommandLineToArgvW);
// false when the system cannot split it.
bool Split(LPCWSTR arguments, std::vector<WString>& out);

}  // namespace program_arguments

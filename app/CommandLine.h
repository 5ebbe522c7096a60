// The program's command line: the switches of an unattended installation, of the
// catalogue listing and of the usage. Plain text logic over the arguments as
// CommandLineToArgvW splits them (the program name left out).
#pragma once

#include <vector>

#include "platform/text.h"

namespace cmdline {

struct Options {
    bool quiet = false;      // /quiet, /q, /s: no window and no box; the exit code and the log tell
    bool list = false;       // /list: the catalogue on standard output
    bool usage = false;      // /?
    bool noDefault = false;  // /nodefault: the printer does not become the default printer
    bool testPage = false;   // /testpage
    WString model;           // /model MODEL (empty: not given)
    WString port;            // /port PORT
    WString logFile;         // /log FILE
    // The first fault of the command line, for the user; empty when there is none.
    WString error;

    // Whether a switch of the installation itself was given (which needs /quiet).
    bool HasInstallSwitches() const { return !model.empty() || !port.empty() || noDefault || testPage; }
};

// Reads the arguments. Switches begin with '/' or '-' and are matched without regard to
// letter case; a value is the next argument (quoted when it has blanks) and must not be
// empty or another switch. A value switch given twice, an unknown switch, a word that
// is no switch and an installation switch without /quiet (unless /list or /? ends the
// run first) are faults. Reading goes on after a fault, so that /quiet and /log are
// known even on a bad command line.
Options Parse(const std::vector<WString>& arguments);

// What the program shows for /?, and beside a fault when it runs with a window.
extern const WCHAR kUsage[];

}  // namespace cmdline

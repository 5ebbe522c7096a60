// The program's command line: the switches of an unattended installation, repair and
// removal, of the catalogue listing and of the usage. Plain text logic over the
// arguments as CommandLineToArgvW splits them (the program name left out).
#pragma once

#include <vector>

#include "platform/text.h"

namespace cmdline {

struct Options {
    // /quiet, /q, /s, /qn, /silent, /verysilent, /passive, or any switch of the
    // installation: no window and no box; the exit code and the log tell.
    bool quiet = false;
    bool list = false;       // /list: the catalogue on standard output
    bool usage = false;      // /?
    bool noDefault = false;  // /nodefault: the printer does not become the default printer
    bool testPage = false;   // /testpage
    bool repair = false;     // /repair: replace the printer even when it is in place
    bool uninstall = false;  // /uninstall: remove the model's printer family and driver
    bool noRestart = false;  // /norestart: accepted; the program never restarts the PC
    WString model;           // /model MODEL (empty: not given)
    WString port;            // /port PORT
    WString logFile;         // /log FILE
    // The first fault of the command line, for the user; empty when there is none.
    WString error;

    // Whether a switch of the installation itself was given, which makes the run quiet:
    // nobody may be there to answer a box.
    bool HasInstallSwitches() const
    {
        return !model.empty() || !port.empty() || noDefault || testPage || repair || uninstall;
    }
};

// Reads the arguments. Switches begin with '/' or '-' and are matched without regard to
// letter case; a value is the next argument (quoted when it has blanks) and must not be
// empty or another switch. A value switch given twice, an unknown switch, a word that
// is no switch, /uninstall without /model or with a switch of the installation, and
// /repair with /uninstall are faults. Reading goes on after a fault, so that the quiet
// switches and /log are known even on a bad command line.
Options Parse(const std::vector<WString>& arguments);

// What the program shows for /?, and beside a fault when it runs with a window. Its
// first line names the program's version.
extern const WCHAR kUsage[];

}  // namespace cmdline

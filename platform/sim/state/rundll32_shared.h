// What the control API (control/shell.h, which includes this) and the simulated
// rundll32 both use: how it starts and runs, and the record of a run.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"

namespace sim {

struct Rundll32Behaviour {
    DWORD startError = 0;        // nonzero: ShellExecuteExW fails with this last-error code
    DWORD runMs = 0;             // how long the process runs before its command takes effect (scaled)
    bool outlivesWaits = false;  // the process keeps running until EndRundll32Processes or reset
};

struct Rundll32Run {
    std::u16string file;        // the program as the caller named it
    std::u16string program;     // what ran: the system's rundll32, or a file the search found first
    std::u16string parameters;  // what the program passed after "rundll32"
    std::u16string folder;      // its working folder (lpDirectory; empty: the caller's)
    std::vector<DWORD> waits;   // time-outs (ms, unscaled) the program waited on the process with
    bool ended = false;
    DWORD exitCode = 0;  // 0 when the printer-UI command succeeded, else its error
};

}  // namespace sim

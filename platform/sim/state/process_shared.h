// What the control API (control/process.h, which includes this) and the process
// functions both use: how a program started with CreateProcessW ends.
#pragma once

#include "platform/sim/api/win_types.h"

namespace sim {

// A started program's process and thread handles become signalled after runMs
// (scaled) and GetExitCodeProcess then gives exitCode; with endsNever it runs until
// sim::EndStartedProcesses() (or a reset, with ERROR_OPERATION_ABORTED). At reset:
// it ends at once with 0.
struct StartedProcessBehaviour {
    DWORD exitCode = 0;
    DWORD runMs = 0;
    bool endsNever = false;
};

}  // namespace sim

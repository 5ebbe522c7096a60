// The simulated rundll32: the one program ShellExecuteExW can start, as a simulated
// process on a counted thread, and what the control API says of how it runs.
// Internal to platform/sim.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/state/rundll32_shared.h"
#include "platform/sim/state/handles.h"

namespace sim {

// Every field is guarded by the mutex; waiting processes sleep on `changed`.
struct Rundll32State {
    std::mutex mutex;
    std::condition_variable changed;
    Rundll32Behaviour behaviour;
    std::vector<Rundll32Run> runs;
    unsigned releaseEpoch = 0;  // raised by EndRundll32Processes
    unsigned generation = 0;    // raised at every reset
    bool stopping = false;      // the machine is being reset: processes end without acting
};
Rundll32State& Rundll32();

// The program ShellExecuteExW starts for a file, found as Windows looks for it: a bare
// name (with ".exe" added when it has no extension) in the working folder (lpDirectory,
// or else the current folder), then in the program's own folder, then in the system
// folder; a path as it stands. The system folder holds the system's rundll32; a file
// of the name found elsewhere first is another program, which runs and does nothing.
struct FoundProgram {
    std::u16string path;          // the program that runs, by its full path
    bool systemRundll32 = false;  // the system's own rundll32, which runs the printer-UI entry
};
// False when nothing of that name is found.
bool FindProgram(const std::u16string& file, const std::u16string& workingFolder, FoundProgram* found);
// Starts the program found for `file` (as the caller named it) with the parameters as
// a simulated process in the working folder that behaves as `how` says: records the run, logs it and runs
// it on a counted thread. Returns a handle to the process (kind "process") when one is
// wanted, else null.
HANDLE StartRundll32(const std::u16string& file, const FoundProgram& program, const std::u16string& parameters,
                     const std::u16string& folder, const Rundll32Behaviour& how, bool wantHandle);

// Ends the processes still running without letting them act, before a reset waits
// for the machine's threads.
void StopRundll32Processes();
void ResetRundll32Part();

}  // namespace sim

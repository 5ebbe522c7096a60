// The simulated program's own command line and the programs it starts with
// CreateProcessW, as the control API describes them. Internal to platform/sim.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sim/control/process.h"

namespace sim {

// Every field is guarded by the mutex; started programs wait on `changed`.
struct ProcessState {
    std::mutex mutex;
    std::condition_variable changed;
    StartedProcessBehaviour behaviour;
    unsigned releaseEpoch = 0;  // raised by EndStartedProcesses
    bool stopping = false;      // the machine is being reset
    std::optional<std::u16string> commandLine;
    std::u16string answer;  // what GetCommandLineW handed out last
};
ProcessState& Processes();

// Ends the started programs still running, before a reset waits for the machine's
// threads.
void StopStartedProcesses();
void ResetProcessPart();

}  // namespace sim

#include "platform/sim/state/process.h"

namespace sim {

ProcessState& Processes()
{
    static ProcessState state;
    return state;
}

void StopStartedProcesses()
{
    {
        std::lock_guard<std::mutex> lock(Processes().mutex);
        Processes().stopping = true;
    }
    Processes().changed.notify_all();
}

void ResetProcessPart()
{
    std::lock_guard<std::mutex> lock(Processes().mutex);
    Processes().behaviour = StartedProcessBehaviour();
    Processes().stopping = false;
    Processes().commandLine.reset();
}

}  // namespace sim

#include "platform/sim/control/process.h"

#include "platform/sim/state/process.h"

namespace sim {

void SetCommandLine(const std::u16string& commandLine)
{
    std::lock_guard<std::mutex> lock(Processes().mutex);
    Processes().commandLine = commandLine;
}

void SetStartedProcessBehaviour(const StartedProcessBehaviour& behaviour)
{
    std::lock_guard<std::mutex> lock(Processes().mutex);
    Processes().behaviour = behaviour;
}

void EndStartedProcesses()
{
    {
        std::lock_guard<std::mutex> lock(Processes().mutex);
        ++Processes().releaseEpoch;
    }
    Processes().changed.notify_all();
}

}  // namespace sim

#include "platform/sim/control/process.h"

#include "platform/sim/state/process.h"
#include "platform/text.h"

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

void SetProgramImage(const std::u16string& windowsPath, std::function<DWORD()> run)
{
    std::u16string upper;
    for (char16_t c : windowsPath) upper += text::UpperCase(c);
    std::lock_guard<std::mutex> lock(Processes().mutex);
    Processes().images[upper] = std::move(run);
}

}  // namespace sim

#include "platform/sim/control/shell.h"

#include "platform/sim/state/rundll32.h"

namespace sim {

void SetRundll32Behaviour(const Rundll32Behaviour& behaviour)
{
    std::lock_guard<std::mutex> lock(Rundll32().mutex);
    Rundll32().behaviour = behaviour;
}

void EndRundll32Processes()
{
    {
        std::lock_guard<std::mutex> lock(Rundll32().mutex);
        ++Rundll32().releaseEpoch;
    }
    Rundll32().changed.notify_all();
}

std::vector<Rundll32Run> Rundll32Runs()
{
    std::lock_guard<std::mutex> lock(Rundll32().mutex);
    return Rundll32().runs;
}

}  // namespace sim

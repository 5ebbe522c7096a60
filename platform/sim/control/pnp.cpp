#include "platform/sim/control/pnp.h"

#include "platform/sim/state/pnp.h"

namespace sim {

void SetHardwareIdPresent(const std::u16string& hardwareId, bool present)
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    auto& ids = Pnp().hardwareIds;
    if (present) {
        ids.insert(hardwareId);
    } else if (auto it = ids.find(hardwareId); it != ids.end()) {
        ids.erase(it);
    }
}

std::vector<DriverUpdate> DriverUpdates()
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    return Pnp().updates;
}

void FailDriverUpdates(DWORD error)
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    Pnp().failUpdates = error;
}

void SetDriverUpdatesAskRestart(bool restart)
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    Pnp().updatesAskRestart = restart;
}

void SetPnpPrinterPort(const std::u16string& port)
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    Pnp().printerPort = port;
}

void SetConfigManagerResults(DWORD locate, DWORD reenumerate)
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    Pnp().locate = locate;
    Pnp().reenumerate = reenumerate;
}

int ReenumerationCount()
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    return Pnp().reenumerations;
}

}  // namespace sim

#include "platform/sim/state/pnp.h"

namespace sim {

PnpState& Pnp()
{
    static PnpState state;
    return state;
}

bool HardwareIdPresent(const std::u16string& hardwareId)
{
    std::lock_guard<std::mutex> lock(Pnp().mutex);
    return Pnp().hardwareIds.count(hardwareId) > 0;
}

void ResetPnpPart()
{
    PnpState& p = Pnp();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.hardwareIds.clear();
    p.updates.clear();
    p.failUpdates = 0;
    p.updatesAskRestart = false;
    p.printerPort.clear();
    p.locate = CR_SUCCESS;
    p.reenumerate = CR_SUCCESS;
    p.reenumerations = 0;
}

}  // namespace sim

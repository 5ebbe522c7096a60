// Plug and Play of the simulated machine: the hardware IDs present devices carry,
// the driver updates asked for and how the configuration manager answers. Internal
// to platform/sim.
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/api/pnp.h"
#include "platform/sim/state/pnp_shared.h"

namespace sim {

// Every field is guarded by the mutex; a fresh object is the state after a reset.
struct PnpState {
    std::mutex mutex;
    std::multiset<std::u16string> hardwareIds;  // one per device carrying it
    std::vector<DriverUpdate> updates;
    DWORD failUpdates = 0;
    bool updatesAskRestart = false;
    std::u16string printerPort;  // empty: the first USB port
    CONFIGRET locate = CR_SUCCESS;
    CONFIGRET reenumerate = CR_SUCCESS;
    int reenumerations = 0;
};
PnpState& Pnp();

void ResetPnpPart();

}  // namespace sim

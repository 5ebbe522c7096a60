// What the control API (control/pnp.h, which includes this) and the Plug and Play
// functions both use: a driver update as the machine records it, and whether a
// hardware ID is present.
#pragma once

#include <string>

#include "platform/sim/api/win_types.h"

namespace sim {

struct DriverUpdate {
    std::u16string hardwareId;
    std::u16string infPath;
    DWORD installFlags = 0;
    bool hadParent = false;      // a parent window was passed
    bool hadRebootFlag = false;  // a reboot-required flag was passed
    bool succeeded = false;
    bool askedRestart = false;  // it succeeded and set the reboot-required flag
    DWORD error = 0;
};

// Whether a present device carries the hardware ID (sim::SetHardwareIdPresent).
bool HardwareIdPresent(const std::u16string& hardwareId);

}  // namespace sim

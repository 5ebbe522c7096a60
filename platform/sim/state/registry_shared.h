// What the control API (control/registry.h, which includes this) and the registry
// functions both use: a value as it is stored.
#pragma once

#include <vector>

#include "platform/sim/api/registry.h"

namespace sim {

// A value's type and data bytes exactly as RegQueryValueExW will hand them out.
struct RegData {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

}  // namespace sim

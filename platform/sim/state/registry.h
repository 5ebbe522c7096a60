// What other parts of the simulated machine use of its registry. Internal to platform/sim.
#pragma once

#include <string>

#include "platform/sim/api/registry.h"

#ifndef ERROR_KEY_DELETED
#define ERROR_KEY_DELETED 1018L
#endif
#ifndef ERROR_BAD_PATHNAME
#define ERROR_BAD_PATHNAME 161L
#endif

namespace sim {

// Opens a key as the system's own components do (no injected failures): a new
// handle of kind "regkey", or null with *status set.
HKEY OpenRegistryKey(HKEY root, const std::u16string& path, LSTATUS* status);

}  // namespace sim

// Files of the simulated machine, and the hook through which device paths
// (\\?\... and \\.\...) reach the simulated devices. Internal to platform/sim.
#pragma once

#include <memory>

#include "platform/sim/state/handles.h"
#include "platform/sim/api/kernel.h"

namespace sim {

// Opens a device path for CreateFileW. Returns the device's kernel object, or null
// with *error set (ERROR_FILE_NOT_FOUND when no such device is present).
std::shared_ptr<KernelObject> OpenDevicePath(LPCWSTR path, DWORD access, DWORD share, DWORD flags, DWORD* error);

}  // namespace sim

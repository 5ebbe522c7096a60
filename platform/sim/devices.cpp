// Devices of the simulated machine. With nothing plugged in, no device path opens.
#include "platform/sim/files.h"

namespace sim {

std::shared_ptr<KernelObject> OpenDevicePath(LPCWSTR, DWORD, DWORD, DWORD, DWORD* error)
{
    *error = ERROR_FILE_NOT_FOUND;
    return nullptr;
}

}  // namespace sim

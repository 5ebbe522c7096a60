// What the control API (control/machine.h, which includes this) and the machine's own
// functions both use: the scaled time of every wait, and the folders the machine
// always has.
#pragma once

#include <chrono>
#include <string>

#include "platform/sim/api/win_types.h"

namespace sim {

// How long a wait of ms milliseconds lasts on this machine (sim::SetTimeScale).
std::chrono::nanoseconds Scaled(DWORD ms);

// What GetSystemDirectoryW answers: C:\Windows\system32 (a 32-bit program on 64-bit
// Windows is given the same path, redirected by the system).
std::u16string SystemDirectory();

// The temporary folders (GetTempPathW) of an administrator's account and of the local
// system account (sim::SetSystemAccount).
extern const char16_t kUserTempFolder[];
extern const char16_t kSystemTempFolder[];

}  // namespace sim

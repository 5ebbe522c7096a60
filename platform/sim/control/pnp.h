// The control API of the simulated machine's Plug and Play: which hardware IDs the
// present devices carry, how the driver update and the configuration manager answer,
// and what the program asked of them. The program never includes this header.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/pnp_shared.h"

namespace sim {

// The hardware IDs that present devices carry. Plugging a USB printer in or out marks
// its IDs (control/devices.h); the driver update asks (HardwareIdPresent,
// state/pnp_shared.h).
void SetHardwareIdPresent(const std::u16string& hardwareId, bool present);

// Every UpdateDriverForPlugAndPlayDevicesW call, in order (a sim::DriverUpdate each,
// state/pnp_shared.h).
std::vector<DriverUpdate> DriverUpdates();
// Makes every later driver update fail with the error (0: succeed again when the
// device and INF are there).
void FailDriverUpdates(DWORD error);
// Whether a driver update that succeeds asks for a restart (sets the caller's
// reboot-required flag); at reset it does not.
void SetDriverUpdatesAskRestart(bool restart);
// The port on which a successful driver update creates the printer of the INF's
// model; by default the first USB port of the spooler, none when there is none.
void SetPnpPrinterPort(const std::u16string& port);

// What CM_Locate_DevNodeW and CM_Reenumerate_DevNode return (CR_SUCCESS at reset).
void SetConfigManagerResults(DWORD locate, DWORD reenumerate);
// Re-enumerations that succeeded.
int ReenumerationCount();

}  // namespace sim

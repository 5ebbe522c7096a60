// The parts of the simulated machine, each with the reset that ResetMachine calls.
// Internal to platform/sim.
#pragma once

namespace sim {

void ResetKernelPart();
void ResetWindowingPart();
// Ends every device request without touching its caller's memory, waits for the
// devices' timer threads and unplugs every printer.
void ResetDevicesPart();
// The registry as a fresh machine has it.
void ResetRegistryPart();
void ResetSpoolerPart();
void ResetShellPart();
void ResetPnpPart();
// Ends the simulated processes still running, before the reset waits for threads.
void StopShellProcesses();
void StopStartedProcesses();
void ResetProcessPart();

}  // namespace sim

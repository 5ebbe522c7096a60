// The parts of the simulated machine, each with the reset that ResetMachine calls.
// Internal to platform/sim.
#pragma once

namespace sim {

void ResetKernelPart();
void ResetWindowingPart();
void ResetSpoolerPart();
void ResetShellPart();
void ResetPnpPart();
// Ends the simulated processes still running, before the reset waits for threads.
void StopShellProcesses();

}  // namespace sim

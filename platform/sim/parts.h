// The parts of the simulated machine, each with the reset that ResetMachine calls.
// Internal to platform/sim.
#pragma once

namespace sim {

void ResetKernelPart();
void ResetWindowingPart();

}  // namespace sim

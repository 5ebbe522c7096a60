// The control API of the simulated machine's shell: how rundll32, which runs the
// printer-UI entry on the simulated spooler, starts and how long it runs, and what
// the program asked of it. The program itself never includes this header.
#pragma once

#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/rundll32_shared.h"

namespace sim {

// How rundll32 starts and runs (state/rundll32_shared.h).
void SetRundll32Behaviour(const Rundll32Behaviour& behaviour);
// Lets every process kept running by outlivesWaits carry out its command and end.
void EndRundll32Processes();

// Every run the program asked for, in order (state/rundll32_shared.h).
std::vector<Rundll32Run> Rundll32Runs();

}  // namespace sim

// The simulated PC's state at the end of a run, for the transcript.
#pragma once

#include <iosfwd>

namespace simulator {

// "machine:" followed by the printers (driver, port), the default printer, the
// drivers and the driver updates, one fact per indented line.
void PrintMachine(std::ostream& out);

}  // namespace simulator

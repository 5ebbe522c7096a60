// The simulator on a terminal: each key acts as soon as it is pressed. The terminal
// is put into raw mode for the session and given back as it was on every way out:
// the end of the session, Ctrl-C (or another signal that ends the simulator) and
// Ctrl-Z (raw mode comes back with the job).
#pragma once

#include <iosfwd>

namespace simulator {

class Runner;

// The keys, as `?` prints them.
extern const char kInteractiveKeys[];

enum class SessionEnd { ProgramEnded, Quit };

// Reads keys from standard input until the program ends or the user quits (q,
// Ctrl-D, end of input). Mistyped keys and lines are answered and never end it.
SessionEnd RunInteractive(Runner& runner, std::ostream& out);

}  // namespace simulator

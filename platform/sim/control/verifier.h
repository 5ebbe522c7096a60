// The control API of the machine's verifier: the contract violations the program's
// calls have made, and the check of what a program must have released when it ends.
// The unit and contract tests fail on any violation at their end
// (tests/support/verifier_listener.cpp); the simulator prints them and exits with status 3.
// docs/strict-machine.md lists the rules.
#pragma once

#include <vector>

#include "platform/sim/state/verifier_shared.h"

namespace sim {

// The violations recorded since they were last cleared, oldest first (a
// sim::Violation each, state/verifier_shared.h).
std::vector<Violation> Violations();
void ClearViolations();
// Violations() and ClearViolations() at once.
std::vector<Violation> TakeViolations();

// The end of the program: ends the simulated processes it started, waits (bounded)
// for its threads, and records a violation for every handle still open and every
// device request still pending that the program never cancelled. Each is reported
// once, also when the check runs again before the machine is reset. ResetMachine
// runs it first. Processes started later end at once without acting, until the
// machine is reset.
void EndProgram();

}  // namespace sim

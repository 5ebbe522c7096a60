// The control API of the simulated machine's processes: the program's own command
// line, and how the programs it starts with CreateProcessW end. The program itself
// never includes this header.
#pragma once

#include <functional>
#include <string>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/process_shared.h"

namespace sim {

// What GetCommandLineW answers; at reset the program path in quotation marks.
void SetCommandLine(const std::u16string& commandLine);

// How a program started with CreateProcessW ends (state/process_shared.h).
void SetStartedProcessBehaviour(const StartedProcessBehaviour& behaviour);
// Lets every started program kept running by endsNever end with its exit code.
void EndStartedProcesses();

// The program that runs as itself when CreateProcessW starts the file at windowsPath
// (letter case aside): `run` is its main, on the new process's thread, and its result
// the process's exit code. While it runs the machine is that process's: its module
// path, its command line, no WOW64 (a 64-bit program), its standard handles (as the
// starter passed them) and its current folder; the starter is expected to wait for
// it. At reset there is none, and a started program ends as above.
void SetProgramImage(const std::u16string& windowsPath, std::function<DWORD()> run);

}  // namespace sim

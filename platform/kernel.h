// Kernel operations: module path, profile (INI) files, files and devices with
// overlapped I/O, events, threads, code-page conversion.
#pragma once

#include "platform/types.h"

#ifndef _WIN32
#include "platform/sim/api/codepage.h"
#include "platform/sim/api/devices.h"
#include "platform/sim/api/files.h"
#include "platform/sim/api/kernel.h"
#include "platform/sim/api/process.h"
#include "platform/sim/api/profile.h"
#endif

// Writes to the program's standard output (a GUI program's stdout is whatever the
// starter attached; on the simulated machine the control API collects it).
void PrintToStdout(const char* format, ...);

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

// Writes text that the program shows on purpose (its catalogue, its usage, an error
// of an unattended run) to its standard output or standard error (STD_OUTPUT_HANDLE,
// STD_ERROR_HANDLE): to the handle its starter passed when that is redirected (a file,
// a pipe), as UTF-8; otherwise to the console of the command prompt that started it,
// if any. Lines end in "\n" ("\r\n" on Windows). False when there is nowhere to write
// or the write failed.
bool WriteStandardText(DWORD stream, const WCHAR* text);

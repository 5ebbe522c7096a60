// The 32-bit program on 64-bit Windows: a 32-bit process cannot update a device's
// driver there, and it would address the 32-bit driver environment, so it hands
// over to the x86-64 program that the setup medium carries beside it, and stands in
// for it towards whoever started the setup: same arguments, same end, same exit code.
#pragma once

#include "platform/types.h"

// The file name of the x86-64 program in the setup directory.
#define KORVEL_SIBLING_EXE TEXT("KorvelSetup64.exe")

struct SiblingRun {
    enum Outcome {
        kNotNeeded,    // not under WOW64, or no sibling on the medium: this program does the work
        kStartFailed,  // the sibling is there but did not start (`error`): this program does the work
        kEnded,        // the sibling ran and ended with `exitCode`: this program ends with it
    };
    Outcome outcome = kNotNeeded;
    DWORD error = 0;
    DWORD exitCode = 0;
};

// When this process runs under WOW64 and the setup directory holds the x86-64
// program, starts it with this program's arguments (what follows the program name in
// `commandLine`, as GetCommandLineW gives it, passed on as it stands), waits for it
// to end and reports its exit code. The sibling's own directory is never taken from
// the working directory.
SiblingRun RunSiblingUnderWow64(LPCWSTR setupDir, LPCWSTR commandLine);

// The 32-bit program on 64-bit Windows: a 32-bit process cannot update a device's
// driver there, and it would address the 32-bit driver environment, so it hands
// over to the x86-64 program that the setup medium carries beside it.
#pragma once

#include "platform/types.h"

// The file name of the x86-64 program in the setup directory.
#define KORVEL_SIBLING_EXE TEXT("KorvelSetup64.exe")

// When this process runs under WOW64 and the setup directory holds the x86-64
// program, starts that program (same working directory, no arguments) and returns
// TRUE: the caller then ends without showing anything. Returns FALSE, having
// started nothing, in every other case, including a failed start.
BOOL StartSiblingUnderWow64(LPCWSTR setupDir);

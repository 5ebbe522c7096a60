// The 32-bit program on 64-bit Windows: a 32-bit process cannot update a device's
// driver there, and it would address the 32-bit driver environment, so it hands
// over to the x86-64 program that the setup medium carries beside it, and stands in
// for it towards whoever started the setup: same arguments, same standard handles,
// same end, same exit code. The sibling runs with the setup's administrator rights,
// so it runs only when it is the very program built beside this one.
#pragma once

#include "app/Sha256.h"
#include "platform/types.h"

// The file name of the x86-64 program in the setup directory.
#define KORVEL_SIBLING_EXE TEXT("KorvelSetup64.exe")

// The SHA-256 digest of the x86-64 program built beside this one, written into the
// build (cmake/sibling_digest.cmake); kSiblingDigestKnown is false in a build that had
// none beside it, which then never hands over.
extern const unsigned char kSiblingSha256[CSha256::kDigestSize];
extern const bool kSiblingDigestKnown;

struct SiblingRun {
    enum Outcome {
        kNotNeeded,    // not under WOW64, or no sibling on the medium: this program does the work
        kStartFailed,  // the sibling is there but did not start (`error`): this program does the work
        kNotOurs,      // the sibling's digest is not the one built in: this program does the work
        kEnded,        // the sibling ran and ended with `exitCode`: this program ends with it
    };
    Outcome outcome = kNotNeeded;
    DWORD error = 0;
    DWORD exitCode = 0;
};

// The exit code when the sibling ran but its end cannot be read (the wait for it or
// GetExitCodeProcess failed): ERROR_INSTALL_FAILURE, a failure whatever it did.
constexpr DWORD kSiblingExitUnknown = 1603;

// When this process runs under WOW64 and the setup directory holds the x86-64
// program with the digest built in, starts it with `arguments` (this program's
// arguments as they stand in its command line, program_arguments::After) and this
// program's standard handles, waits for it to end and reports its exit code. The file
// is held open against writes from before its digest is read until the process has
// started. The sibling's own directory is never taken from the working directory.
SiblingRun RunSiblingUnderWow64(LPCWSTR setupDir, LPCWSTR arguments);

// Processes of the simulated machine (kernel32): the current process, its command
// line, WOW64, and starting a program.
#pragma once

#include "platform/sim/api/kernel.h"

// STARTUPINFOW.dwFlags: hStdInput, hStdOutput and hStdError are the child's standard
// handles; they must be inheritable, and bInheritHandles TRUE.
#define STARTF_USESTDHANDLES 0x00000100u
struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};
typedef STARTUPINFOW* LPSTARTUPINFOW;
struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

HANDLE GetCurrentProcess();
LPWSTR GetCommandLineW();
BOOL IsWow64Process(HANDLE process, PBOOL wow64);
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags, LPVOID environment,
                    LPCWSTR directory, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info);

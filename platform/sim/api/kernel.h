// Kernel32 as the simulated machine implements it: last error, module, time, handles,
// events, threads. Same names, argument lists and contracts as Windows; see
// platform/sim/control/machine.h for how tests set the machine up.
#pragma once

#include "platform/sim/api/win_types.h"

// --- errors, modules, time ---------------------------------------------------------
DWORD GetLastError();
void SetLastError(DWORD code);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);
HMODULE GetModuleHandleW(LPCWSTR name);
DWORD GetTickCount();
void GetLocalTime(LPSYSTEMTIME time);
void Sleep(DWORD ms);
DWORD GetCurrentThreadId();

// --- handles, events, threads ------------------------------------------------------
struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u

BOOL CloseHandle(HANDLE handle);
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, LPDWORD threadId);
#define STD_INPUT_HANDLE (static_cast<DWORD>(-10))
#define STD_OUTPUT_HANDLE (static_cast<DWORD>(-11))
#define STD_ERROR_HANDLE (static_cast<DWORD>(-12))
// The process's standard handle: null when it has none (a GUI program started without
// STARTF_USESTDHANDLES). The handle is the process's, never to be closed by it.
HANDLE GetStdHandle(DWORD which);
#define HANDLE_FLAG_INHERIT 0x00000001u
BOOL SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags);

// The exit code of a thread or process, STILL_ACTIVE while it runs.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

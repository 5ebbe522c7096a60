// Kernel32 as the simulated machine implements it: last error, module, time, handles,
// events, threads. Same names, argument lists and contracts as Windows; see
// the control API (control/machine.h) for how tests set the machine up.
#pragma once

#include <cstdarg>

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
// The folder for temporary files of the account the program runs as, with its final
// backslash (%TEMP%: C:\Windows\Temp\ for the system account).
DWORD GetTempPathW(DWORD size, LPWSTR buffer);

// --- error mode and system messages --------------------------------------------------
#define SEM_FAILCRITICALERRORS 0x0001u
#define SEM_NOGPFAULTERRORBOX 0x0002u
#define SEM_NOOPENFILEERRORBOX 0x8000u
UINT SetErrorMode(UINT mode);
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu
// The system's text of an error code (the machine knows the English texts of the codes
// its functions give), ending in CR LF as Windows writes it.
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments);

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

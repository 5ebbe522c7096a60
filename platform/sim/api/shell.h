// Shell32 of the simulated machine: ShellExecuteExW and command-line splitting.
#pragma once

#include "platform/sim/api/win_types.h"

struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_NOCLOSEPROCESS 0x00000040

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
// Returns an array the caller releases with LocalFree, as on Windows.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc);
HANDLE LocalFree(HANDLE memory);

// The planted files' one action: a line in the marker folder saying who loaded or
// started them. The folder is %KORVEL_PLANT_MARKERS% (default C:\korvel-planted);
// the marker file is named after the planted file, so each plant is told apart.
#pragma once

#include <windows.h>

inline void LeaveMarker(HMODULE planted)
{
    wchar_t folder[MAX_PATH] = L"C:\\korvel-planted";
    DWORD n = ::GetEnvironmentVariableW(L"KORVEL_PLANT_MARKERS", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) lstrcpyW(folder, L"C:\\korvel-planted");
    ::CreateDirectoryW(folder, nullptr);

    wchar_t self[MAX_PATH] = {0}, loader[MAX_PATH] = {0}, marker[2 * MAX_PATH];
    ::GetModuleFileNameW(planted, self, MAX_PATH);
    ::GetModuleFileNameW(nullptr, loader, MAX_PATH);
    const wchar_t* name = self;
    for (const wchar_t* p = self; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    wsprintfW(marker, L"%s\\%s.marker", folder, name);

    HANDLE file = ::CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[3 * MAX_PATH];
    int length = wsprintfA(line, "%ls loaded by %ls\r\n", self, loader);
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(file);
}

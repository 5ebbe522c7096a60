// first_page: how long a wizard takes from its start to its first page on screen.
//
//   first_page TITLE PROGRAM
//
// Starts PROGRAM, waits (polling every millisecond, at most 60 s) until a visible
// top-level window titled TITLE exists (a wizard's title is its active page's
// caption), prints the milliseconds since just before CreateProcessW, and closes the
// wizard. Exit code 0, or 1 when the page did not show.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: first_page TITLE PROGRAM\n");
        return 1;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(argv[2], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "first_page: cannot start %ls (%lu)\n", argv[2], ::GetLastError());
        return 1;
    }
    HWND page = nullptr;
    double ms = 0;
    do {
        page = ::FindWindowW(nullptr, argv[1]);
        if (page && !::IsWindowVisible(page)) page = nullptr;
        ::QueryPerformanceCounter(&now);
        ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (!page) ::Sleep(1);
    } while (!page && ms < 60000 && ::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT);
    if (page) {
        std::printf("%.0f\n", ms);
        ::PostMessageW(page, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    if (!page) std::fprintf(stderr, "first_page: no visible window \"%ls\"\n", argv[1]);
    return page ? 0 : 1;
}

// Loads newdev.dll, winspool.drv, uxtheme.dll and apphelp.dll by name, as any program
// (or Windows' own DLLs in it) may, and starts rundll32 by its bare name, from a folder
// where planted copies wait:
//   search_probe plain         with the search as Windows sets it: the plants must trip
//   search_probe restricted    after the program's own restriction (SetDefaultDllDirectories)
//   search_probe restricted-xp after the restriction XP allows (SetDllDirectoryW(L"")
//                              and the system libraries loaded up front)
// Prints where each library came from. The restricted runs load libraries only: a bare
// rundll32 is still searched for in the program's folder, which is why the program
// starts it by full path.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/win/system_library.h"

namespace {

void Load(const wchar_t* name)
{
    HMODULE module = ::LoadLibraryW(name);
    wchar_t path[MAX_PATH] = L"(not loaded)";
    if (module) ::GetModuleFileNameW(module, path, MAX_PATH);
    std::printf("%ls: %ls\n", name, path);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const wchar_t* mode = argc > 1 ? argv[1] : L"";
    if (lstrcmpW(mode, L"restricted") == 0) {
        if (win::RestrictDllSearchAtStart() != win::DllSearch::kSystemFolderOnly) {
            std::printf("SetDefaultDllDirectories is missing\n");
            return 2;
        }
    } else if (lstrcmpW(mode, L"restricted-xp") == 0) {
        win::RestrictDllSearch(nullptr);
    } else if (lstrcmpW(mode, L"plain") != 0) {
        std::printf("usage: search_probe plain|restricted|restricted-xp\n");
        return 1;
    }
    Load(L"newdev.dll");
    Load(L"winspool.drv");
    Load(L"uxtheme.dll");
    Load(L"apphelp.dll");
    if (lstrcmpW(mode, L"plain") == 0) {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpFile = L"rundll32";
        info.lpParameters = L"nothing.dll,Nothing";
        info.nShow = SW_HIDE;
        if (::ShellExecuteExW(&info) && info.hProcess) {
            ::WaitForSingleObject(info.hProcess, 30000);
            ::CloseHandle(info.hProcess);
        }
    }
    return 0;
}

// Libraries of Windows that the program must not import. The loader looks for an
// imported library in the program's own folder before the system folder unless it
// is a KnownDLL, and a program is often started from a Downloads folder where a
// file of the same name can wait for it. So the program imports only libraries
// that every Windows from XP to 11 takes from the system folder (docs/windows-build.md
// lists them and why), loads the others from GetSystemDirectoryW's folder by full
// path when they are first needed, and defines the functions it calls in them under
// their own names (platform/win/imports_*.cpp): no caller changes.
#pragma once

#include <windows.h>

#include <atomic>

namespace win {

enum class SystemLibrary { kSetupapi, kNewdev, kWinspool, kCount };

// The library, loaded once from the system folder by its full path; null (last
// error set) when it cannot be loaded.
HMODULE LoadSystemLibrary(SystemLibrary library);

// The named function of the library, looked up once and kept in `cache`; null (last
// error set) when the library or the function is missing.
FARPROC SystemFunction(SystemLibrary library, const char* name, std::atomic<FARPROC>& cache);

// How RestrictDllSearch restricted the search for libraries loaded by name.
enum class DllSearch {
    // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): only the system folder.
    kSystemFolderOnly,
    // SetDllDirectoryW(L"") takes the current directory out of the search, and every
    // system library the program needs, and those Windows' own DLLs load later by name
    // (uxtheme.dll, apphelp.dll and more), is loaded up front by full path, so that a
    // later load by name finds it already loaded. The program's own folder stays in
    // the search: this is the most XP offers.
    kLibrariesPreloaded,
};
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);
// `setDefault` is kernel32's SetDefaultDllDirectories, or null where it does not
// exist (XP; Vista and 7 without update KB2533623).
DllSearch RestrictDllSearch(SetDefaultDllDirectoriesFunction setDefault);
// Looks SetDefaultDllDirectories up in kernel32 and restricts the search with it.
DllSearch RestrictDllSearchAtStart();

}  // namespace win

// Defines the system function `name` with its header's parameters as a call of the
// same function in the library loaded by full path. When the library or the function
// cannot be found, it returns `failure` with the loader's last error.
#define KORVEL_SYSTEM_FUNCTION(library, failure, result, name, params, args)            \
    result WINAPI name params                                                           \
    {                                                                                   \
        static std::atomic<FARPROC> cache{nullptr};                                     \
        typedef result(WINAPI* Function) params;                                        \
        FARPROC found = win::SystemFunction(win::SystemLibrary::library, #name, cache); \
        if (!found) return failure;                                                     \
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found)) args;    \
    }

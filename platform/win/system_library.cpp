#include "platform/win/system_library.h"

#include "platform/text.h"

namespace win {
namespace {

const WCHAR* const kFileNames[] = {L"setupapi.dll", L"newdev.dll", L"winspool.drv"};
static_assert(sizeof(kFileNames) / sizeof(kFileNames[0]) == static_cast<size_t>(SystemLibrary::kCount),
              "one file name for each library");

std::atomic<HMODULE> g_modules[static_cast<size_t>(SystemLibrary::kCount)];

// Where a library's own imports are looked for. Until the search is restricted, and
// on the road without SetDefaultDllDirectories, the altered search path starts in the
// folder of the library itself (the system folder) and never visits the program's.
std::atomic<DWORD> g_loadFlags{LOAD_WITH_ALTERED_SEARCH_PATH};

}  // namespace

HMODULE LoadSystemLibrary(SystemLibrary library)
{
    std::atomic<HMODULE>& slot = g_modules[static_cast<size_t>(library)];
    if (HMODULE loaded = slot.load(std::memory_order_acquire)) return loaded;
    WCHAR path[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0) return nullptr;
    if (length >= MAX_PATH || text::Append(path, MAX_PATH, L"\\") != text::kOk ||
        text::Append(path, MAX_PATH, kFileNames[static_cast<size_t>(library)]) != text::kOk) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    HMODULE module = ::LoadLibraryExW(path, nullptr, g_loadFlags.load());
    if (!module) return nullptr;
    // Two threads may both have loaded it: the library stays loaded once for each
    // LoadLibraryExW, so the loser gives its reference back.
    HMODULE expected = nullptr;
    if (!slot.compare_exchange_strong(expected, module)) {
        ::FreeLibrary(module);
        return expected;
    }
    return module;
}

FARPROC SystemFunction(SystemLibrary library, const char* name, std::atomic<FARPROC>& cache)
{
    if (FARPROC found = cache.load(std::memory_order_acquire)) return found;
    HMODULE module = LoadSystemLibrary(library);
    if (!module) return nullptr;
    FARPROC found = ::GetProcAddress(module, name);
    if (found) cache.store(found, std::memory_order_release);
    return found;
}

DllSearch RestrictDllSearch(SetDefaultDllDirectoriesFunction setDefault)
{
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_loadFlags = 0;  // the default directories now apply to every load
        return DllSearch::kSystemFolderOnly;
    }
    ::SetDllDirectoryW(L"");
    for (size_t i = 0; i < static_cast<size_t>(SystemLibrary::kCount); ++i)
        LoadSystemLibrary(static_cast<SystemLibrary>(i));  // one that fails fails its callers later
    return DllSearch::kLibrariesPreloaded;
}

DllSearch RestrictDllSearchAtStart()
{
    // kernel32 is loaded in every process; GetModuleHandleW loads nothing.
    FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    return RestrictDllSearch(reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found)));
}

}  // namespace win

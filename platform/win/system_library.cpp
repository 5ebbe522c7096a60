#include "platform/win/system_library.h"

#include "platform/text.h"

namespace win {
namespace {

const WCHAR* const kFileNames[] = {L"setupapi.dll", L"newdev.dll", L"winspool.drv"};
static_assert(sizeof(kFileNames) / sizeof(kFileNames[0]) == static_cast<size_t>(SystemLibrary::kCount),
              "one file name for each library");

std::atomic<HMODULE> g_modules[static_cast<size_t>(SystemLibrary::kCount)];

// Libraries that Windows' own DLLs load by name once the program runs (the visual
// styles of the common controls, the compatibility shims, the input method manager,
// the alpha blending of the controls, the printer property sheets): none is a KnownDLL
// on XP, whose search still visits the program's folder. Loaded up front by full path
// on XP, a later load by name finds them loaded. A library a Windows lacks fails to load
// and is no harm.
const WCHAR* const kLoadedLaterByName[] = {L"uxtheme.dll", L"apphelp.dll", L"imm32.dll", L"msimg32.dll",
                                           L"compstui.dll"};

// Loads the system folder's library by full path; null when it cannot.
HMODULE LoadFromSystemFolder(const WCHAR* fileName, DWORD flags)
{
    WCHAR path[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0) return nullptr;
    if (length >= MAX_PATH || text::Append(path, MAX_PATH, L"\\") != text::kOk ||
        text::Append(path, MAX_PATH, fileName) != text::kOk) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return ::LoadLibraryExW(path, nullptr, flags);
}

// Where a library's own imports are looked for. Until the search is restricted, and
// on the road without SetDefaultDllDirectories, the altered search path starts in the
// folder of the library itself (the system folder) and never visits the program's.
std::atomic<DWORD> g_loadFlags{LOAD_WITH_ALTERED_SEARCH_PATH};

}  // namespace

HMODULE LoadSystemLibrary(SystemLibrary library)
{
    std::atomic<HMODULE>& slot = g_modules[static_cast<size_t>(library)];
    if (HMODULE loaded = slot.load(std::memory_order_acquire)) return loaded;
    HMODULE module = LoadFromSystemFolder(kFileNames[static_cast<size_t>(library)], g_loadFlags.load());
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
    // These first: the three below import some of them, and an import is looked for
    // by name (Wine looks in the program's folder first even then).
    for (const WCHAR* name : kLoadedLaterByName)
        LoadFromSystemFolder(name, LOAD_WITH_ALTERED_SEARCH_PATH);  // loaded for the life of the process
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

// Shell32 of the simulated machine: ShellExecuteExW, which finds the program as
// Windows searches for it and starts it as a simulated process (state/rundll32.h):
// the system's rundll32 runs the printer-UI entry, any other program does nothing;
// CommandLineToArgvW, splitting exactly as Windows does; LocalFree for its result.
#include "platform/sim/api/shell.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/rundll32.h"
#include "platform/sim/state/spooler.h"

namespace {

bool IsBlank(char16_t c) { return c == ' ' || c == '\t'; }

}  // namespace

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hInstApp = nullptr;
    info->hProcess = nullptr;
    DWORD error = ERROR_SUCCESS;
    sim::Rundll32Behaviour how;
    {
        std::lock_guard<std::mutex> lock(sim::Rundll32().mutex);
        how = sim::Rundll32().behaviour;
    }
    std::u16string file = info->lpFile ? info->lpFile : u"";
    std::u16string verb = info->lpVerb ? info->lpVerb : u"";
    sim::FoundProgram program;
    if (sim::TakeFailure("ShellExecuteExW", &error)) {
    } else if (how.startError) {
        error = how.startError;
    } else if (!sim::FindProgram(file, info->lpDirectory ? info->lpDirectory : u"", &program)) {
        error = ERROR_FILE_NOT_FOUND;
    } else if (!verb.empty() && !sim::NamesEqual(verb, u"open")) {
        error = ERROR_NO_ASSOCIATION;
    }
    if (error != ERROR_SUCCESS) {
        // hInstApp carries a small SE_ERR_ code, as the shell sets it.
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(error <= 32 ? error : 31));
        SetLastError(error);
        return FALSE;
    }
    std::u16string parameters = info->lpParameters ? info->lpParameters : u"";
    info->hProcess = sim::StartRundll32(file, program, parameters, info->lpDirectory ? info->lpDirectory : u"", how,
                                        (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0);
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// As Windows splits (and Wine since it follows Windows): the program name runs to
// the next quotation mark when it begins with one, else to the first blank; after
// it, 2n backslashes and a quotation mark give n backslashes and toggle quoting,
// 2n+1 backslashes and a quotation mark give n backslashes and a literal quotation
// mark, other backslashes stand as they are, and within quotes a third consecutive
// quotation mark is a literal one.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc)
{
    if (!argc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::u16string> args;
    const char16_t* s = commandLine ? commandLine : u"";
    if (!*s) {
        args.push_back(sim::ModulePath());
    } else {
        std::u16string program;
        if (*s == '"') {
            for (++s; *s && *s != '"'; ++s) program += *s;
            if (*s) ++s;
        } else {
            for (; *s && !IsBlank(*s); ++s) program += *s;
        }
        args.push_back(program);
        while (IsBlank(*s)) ++s;
        if (*s) {
            std::u16string arg;
            bool open = true;  // an argument has begun
            int quotes = 0;
            size_t backslashes = 0;
            while (*s) {
                if (IsBlank(*s) && quotes == 0) {
                    args.push_back(arg);
                    arg.clear();
                    backslashes = 0;
                    while (IsBlank(*s)) ++s;
                    open = *s != 0;
                    continue;
                }
                if (*s == '\\') {
                    arg += *s++;
                    ++backslashes;
                    continue;
                }
                if (*s == '"') {
                    arg.erase(arg.size() - backslashes / 2);
                    if (backslashes % 2 == 0) {
                        ++quotes;
                    } else {
                        arg.back() = '"';  // the odd backslash becomes the quotation mark
                    }
                    ++s;
                    backslashes = 0;
                    while (*s == '"') {
                        if (++quotes == 3) {
                            arg += '"';
                            quotes = 0;
                        }
                        ++s;
                    }
                    if (quotes == 2) quotes = 0;
                    continue;
                }
                arg += *s++;
                backslashes = 0;
            }
            if (open) args.push_back(arg);
        }
    }
    size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
    for (const auto& a : args) bytes += (a.size() + 1) * sizeof(WCHAR);
    char* block = static_cast<char*>(std::malloc(bytes));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    LPWSTR* argv = reinterpret_cast<LPWSTR*>(block);
    WCHAR* text = reinterpret_cast<WCHAR*>(block + (args.size() + 1) * sizeof(LPWSTR));
    for (size_t i = 0; i < args.size(); ++i) {
        argv[i] = text;
        std::memcpy(text, args[i].data(), args[i].size() * sizeof(WCHAR));
        text[args[i].size()] = 0;
        text += args[i].size() + 1;
    }
    argv[args.size()] = nullptr;
    *argc = static_cast<int>(args.size());
    return argv;
}

HANDLE LocalFree(HANDLE memory)
{
    std::free(memory);
    return nullptr;
}

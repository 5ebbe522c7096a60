#include "app/ProgramArguments.h"

#include "platform/kernel.h"
#include "platform/shell.h"

namespace program_arguments {

namespace {

bool IsBlank(WCHAR c) { return c == ' ' || c == '\t'; }

// The length of `path` when `line` begins with it, letter case aside; else 0.
size_t PrefixLength(LPCWSTR line, LPCWSTR path)
{
    size_t n = text::Length(path);
    if (n == 0) return 0;
    for (size_t i = 0; i < n; ++i)
        if (!line[i]) return 0;
    return text::EqualIgnoringCase(line, n, path, n) ? n : 0;
}

}  // namespace

LPCWSTR After(LPCWSTR commandLine, LPCWSTR modulePath)
{
    if (!commandLine) return TEXT("");
    LPCWSTR p = commandLine;
    if (modulePath) {
        if (*p == '"') {
            size_t n = PrefixLength(p + 1, modulePath);
            if (n && p[1 + n] == '"') return p + n + 2;
        } else if (size_t n = PrefixLength(p, modulePath)) {
            if (!p[n] || IsBlank(p[n])) return p + n;
        }
    }
    // Windows' rule for the program name (CommandLineToArgvW and the C runtime).
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (*p && !IsBlank(*p)) ++p;
    }
    return p;
}

LPCWSTR OfThisProcess()
{
    WCHAR path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    bool known = n > 0 && n < MAX_PATH;  // a path cut to the buffer is not the program's
    return After(::GetCommandLineW(), known ? path : nullptr);
}

bool Split(LPCWSTR arguments, std::vector<WString>& out)
{
    // CommandLineToArgvW reads its first word by the program name's rule: a stand-in
    // name goes first, so that the arguments are split by the arguments' rule only.
    WString line = TEXT("x ");
    line += arguments ? arguments : TEXT("");
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    if (!argv) return false;
    for (int i = 1; i < count; ++i) out.emplace_back(argv[i]);
    ::LocalFree(argv);
    return true;
}

}  // namespace program_arguments

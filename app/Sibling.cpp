#include "app/Sibling.h"

#include "platform/kernel.h"
#include "platform/text.h"

namespace {

// The exit code when the sibling's end cannot be read: a failure, whatever it did.
constexpr DWORD kUnknownExitCode = 1;

// What follows the program name in a command line as GetCommandLineW gives it: the
// name runs to the next quotation mark when it begins with one, else to the first
// blank or tab (the rule of CommandLineToArgvW and the C runtime).
LPCWSTR ArgumentsOf(LPCWSTR commandLine)
{
    if (!commandLine) return TEXT("");
    LPCWSTR p = commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    return p;
}

}  // namespace

SiblingRun RunSiblingUnderWow64(LPCWSTR setupDir, LPCWSTR commandLine)
{
    SiblingRun run;
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return run;
    // Without a setup directory the name would be looked up in the working directory.
    if (!setupDir || !setupDir[0]) return run;
    WCHAR path[MAX_PATH];
    if (text::Copy(path, MAX_PATH, setupDir) != text::kOk ||
        text::Append(path, MAX_PATH, KORVEL_SIBLING_EXE) != text::kOk)
        return run;
    DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return run;

    // The sibling's quoted path, then this program's arguments as they stand. CreateProcessW
    // may write to the command line, so it gets a copy of its own.
    WString line = TEXT("\"");
    line += path;
    line += TEXT("\"");
    line += ArgumentsOf(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(path, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        run.outcome = SiblingRun::kStartFailed;
        run.error = ::GetLastError();
        return run;
    }
    ::CloseHandle(info.hThread);
    run.outcome = SiblingRun::kEnded;
    DWORD exitCode = kUnknownExitCode;
    if (::WaitForSingleObject(info.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(info.hProcess, &exitCode))
        exitCode = kUnknownExitCode;
    run.exitCode = exitCode;
    ::CloseHandle(info.hProcess);
    return run;
}

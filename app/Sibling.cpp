#include "app/Sibling.h"

#include "platform/kernel.h"
#include "platform/text.h"

namespace {

// Opens the file for reading while nobody may write to it, rename or delete it, and
// tells whether its bytes have the digest built in; the handle stays open (the caller
// closes it) so that what was checked is what starts.
bool OpenIfOurs(LPCWSTR path, HANDLE* file, DWORD* error)
{
    *file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (*file == INVALID_HANDLE_VALUE) {
        *error = ::GetLastError();
        return false;
    }
    CSha256 sha;
    unsigned char chunk[4096];
    DWORD read = 0;
    for (;;) {
        if (!::ReadFile(*file, chunk, sizeof chunk, &read, nullptr)) {
            *error = ::GetLastError();
            return false;
        }
        if (read == 0) break;
        sha.Add(chunk, read);
    }
    unsigned char digest[CSha256::kDigestSize];
    sha.Finish(digest);
    bool same = kSiblingDigestKnown;
    for (size_t i = 0; i < CSha256::kDigestSize; ++i) same = same && digest[i] == kSiblingSha256[i];
    *error = 0;
    return same;
}

// This process's standard handle, made inheritable so that the sibling gets it; null
// when there is none or it cannot be inherited (a value the child would not own).
HANDLE InheritableStandardHandle(DWORD which)
{
    HANDLE handle = ::GetStdHandle(which);
    if (!handle || handle == INVALID_HANDLE_VALUE) return nullptr;
    return ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ? handle : nullptr;
}

}  // namespace

SiblingRun RunSiblingUnderWow64(LPCWSTR setupDir, LPCWSTR arguments)
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

    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    if (!OpenIfOurs(path, &file, &error)) {
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        run.outcome = error ? SiblingRun::kStartFailed : SiblingRun::kNotOurs;
        run.error = error;
        return run;
    }

    // The sibling's quoted path, then this program's arguments as they stand. CreateProcessW
    // may write to the command line, so it gets a copy of its own.
    WString line = TEXT("\"");
    line += path;
    line += TEXT("\"");
    line += arguments ? arguments : TEXT("");
    // A GUI program started without STARTF_USESTDHANDLES gets no standard handles on
    // Windows: the caller's redirection (/list > models.txt) would reach nobody.
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableStandardHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritableStandardHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = InheritableStandardHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    BOOL started = ::CreateProcessW(path, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    error = ::GetLastError();
    ::CloseHandle(file);  // the process has its image now, or never will
    if (!started) {
        run.outcome = SiblingRun::kStartFailed;
        run.error = error;
        return run;
    }
    ::CloseHandle(info.hThread);
    run.outcome = SiblingRun::kEnded;
    DWORD exitCode = kSiblingExitUnknown;
    if (::WaitForSingleObject(info.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(info.hProcess, &exitCode))
        exitCode = kSiblingExitUnknown;
    run.exitCode = exitCode;
    ::CloseHandle(info.hProcess);
    return run;
}

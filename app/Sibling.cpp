#include "app/Sibling.h"

#include "platform/kernel.h"
#include "platform/text.h"

BOOL StartSiblingUnderWow64(LPCWSTR setupDir)
{
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return FALSE;
    // Without a setup directory the name would be looked up in the working directory.
    if (!setupDir || !setupDir[0]) return FALSE;
    WCHAR path[MAX_PATH];
    if (text::Copy(path, MAX_PATH, setupDir) != text::kOk ||
        text::Append(path, MAX_PATH, KORVEL_SIBLING_EXE) != text::kOk)
        return FALSE;
    DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    // The command line is the program's own quoted path and nothing else.
    WCHAR commandLine[MAX_PATH + 2];
    if (text::FormatInto(commandLine, MAX_PATH + 2, TEXT("\"%s\""), path) != text::kOk) return FALSE;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return FALSE;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return TRUE;
}

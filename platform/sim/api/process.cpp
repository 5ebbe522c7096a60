// Processes of the simulated machine: the current process, whether it runs under
// WOW64, and CreateProcessW, which logs what would have run and hands back process
// and thread handles that the caller must close. Nothing is executed.
#include "platform/sim/api/process.h"

#include <atomic>
#include <filesystem>
#include <optional>

#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/text.h"

namespace {

class Process : public sim::CompletionObject {
public:
    const char* Kind() const override { return "process"; }
};

class ProcessThread : public sim::CompletionObject {
public:
    const char* Kind() const override { return "thread"; }
};

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
std::atomic<DWORD> g_nextProcessId{4000};

std::string Utf8OrNone(LPCWSTR s) { return s ? "\"" + text::ToUtf8(s, text::Length(s)) + "\"" : std::string("none"); }

}  // namespace

HANDLE GetCurrentProcess() { return kCurrentProcess; }

BOOL IsWow64Process(HANDLE process, PBOOL wow64)
{
    if (sim::FailsNow("IsWow64Process")) return FALSE;
    if (process != kCurrentProcess || !wow64) {  // only the program asks, about itself
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *wow64 = sim::IsWow64() ? TRUE : FALSE;
    return TRUE;
}

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD flags, LPVOID environment, LPCWSTR directory, LPSTARTUPINFOW startup,
                    LPPROCESS_INFORMATION info)
{
    if (sim::FailsNow("CreateProcessW")) return FALSE;
    if (!startup || !info || (!application && !commandLine)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The program names the file it starts; a bare command line is not part of this machine.
    std::optional<std::string> host = sim::HostPath(application);
    std::error_code ec;
    if (!host || !std::filesystem::is_regular_file(*host, ec)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    sim::Log("CreateProcessW " + Utf8OrNone(application) + " command line " + Utf8OrNone(commandLine) + " directory " +
             Utf8OrNone(directory) + (inheritHandles ? " inheriting handles" : "") +
             (flags ? " flags " + std::to_string(flags) : "") + (environment ? " own environment" : ""));
    auto process = std::make_shared<Process>();
    auto thread = std::make_shared<ProcessThread>();
    process->Complete(0);
    thread->Complete(0);
    info->hProcess = sim::AddHandle(process);
    info->hThread = sim::AddHandle(thread);
    info->dwProcessId = g_nextProcessId++;
    info->dwThreadId = g_nextProcessId++;
    return TRUE;
}

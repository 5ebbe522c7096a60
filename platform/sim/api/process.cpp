// Processes of the simulated machine: the current process, its command line, whether
// it runs under WOW64, and CreateProcessW, which logs what would have run and hands
// back process and thread handles that the caller must close. The started program is
// not executed: it ends as the control API says (exit code, run time, or never).
#include "platform/sim/api/process.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/sim/control/machine.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/process.h"
#include "platform/sim/state/verifier.h"
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
// Windows' limit on a command line, its NUL included.
constexpr size_t kMaxCommandLine = 32767;

std::string Utf8OrNone(LPCWSTR s) { return s ? "\"" + text::ToUtf8(s, text::Length(s)) + "\"" : std::string("none"); }

// The started program's life: its exit code once it ends.
DWORD RunStarted(sim::StartedProcessBehaviour how, unsigned epoch)
{
    sim::ProcessState& p = sim::Processes();
    std::unique_lock<std::mutex> lock(p.mutex);
    if (how.endsNever) {
        p.changed.wait(lock, [&] { return p.stopping || p.releaseEpoch != epoch; });
    } else if (how.runMs) {
        p.changed.wait_for(lock, sim::Scaled(how.runMs), [&] { return p.stopping; });
    }
    return p.stopping ? static_cast<DWORD>(ERROR_OPERATION_ABORTED) : how.exitCode;
}

}  // namespace

HANDLE GetCurrentProcess() { return kCurrentProcess; }

LPWSTR GetCommandLineW()
{
    std::u16string line = u"\"" + sim::ModulePath() + u"\"";
    sim::ProcessState& p = sim::Processes();
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.commandLine) line = *p.commandLine;
    // The answer stays where it is as long as it does not change, as the process's own does.
    if (p.answer != line) p.answer = line;
    return &p.answer[0];
}

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
    if (commandLine && text::Length(commandLine) >= kMaxCommandLine) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    // CreateProcessW writes into the command line while it parses it: a constant one
    // may cause an access violation.
    if (commandLine && !sim::IsWritableMemory(commandLine, (text::Length(commandLine) + 1) * sizeof(WCHAR)))
        sim::RecordViolation("CreateProcessW", "lpCommandLine is writable memory (the function may modify it)",
                             "lpCommandLine=" + Utf8OrNone(commandLine) + ", read-only");
    if (startup->cb != sizeof(STARTUPINFOW))
        sim::RecordViolation("CreateProcessW", "lpStartupInfo->cb is the size of STARTUPINFOW",
                             "cb=" + std::to_string(startup->cb));
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
    sim::StartedProcessBehaviour how;
    unsigned epoch;
    {
        std::lock_guard<std::mutex> lock(sim::Processes().mutex);
        how = sim::Processes().behaviour;
        epoch = sim::Processes().releaseEpoch;
    }
    info->hProcess = sim::AddHandle(process);
    info->hThread = sim::AddHandle(thread);
    // The primary thread ends with the process.
    sim::StartCountedThread(process, [how, epoch, thread]() {
        DWORD code = RunStarted(how, epoch);
        thread->Complete(code);
        return code;
    });
    info->dwProcessId = g_nextProcessId++;
    info->dwThreadId = g_nextProcessId++;
    return TRUE;
}

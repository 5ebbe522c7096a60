// Processes of the simulated machine: the current process, its command line, whether
// it runs under WOW64, and CreateProcessW, which logs what would have run and hands
// back process and thread handles that the caller must close. The started program is
// not executed: it ends as the control API says (exit code, run time, or never).
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/sim/control.h"
#include "platform/sim/handles.h"
#include "platform/sim/kernel_api.h"
#include "platform/sim/parts.h"
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

struct Processes {
    std::mutex mutex;
    std::condition_variable changed;
    sim::StartedProcessBehaviour behaviour;
    unsigned releaseEpoch = 0;  // raised by EndStartedProcesses
    bool stopping = false;      // the machine is being reset
    std::optional<std::u16string> commandLine;
    std::u16string answer;  // what GetCommandLineW handed out last
};

Processes& State()
{
    static Processes p;
    return p;
}

std::string Utf8OrNone(LPCWSTR s) { return s ? "\"" + text::ToUtf8(s, text::Length(s)) + "\"" : std::string("none"); }

// The started program's life: its exit code once it ends.
DWORD RunStarted(sim::StartedProcessBehaviour how, unsigned epoch)
{
    Processes& p = State();
    std::unique_lock<std::mutex> lock(p.mutex);
    if (how.endsNever) {
        p.changed.wait(lock, [&] { return p.stopping || p.releaseEpoch != epoch; });
    } else if (how.runMs) {
        p.changed.wait_for(lock, sim::Scaled(how.runMs), [&] { return p.stopping; });
    }
    return p.stopping ? static_cast<DWORD>(ERROR_OPERATION_ABORTED) : how.exitCode;
}

}  // namespace

namespace sim {

void SetCommandLine(const std::u16string& commandLine)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().commandLine = commandLine;
}

void SetStartedProcessBehaviour(const StartedProcessBehaviour& behaviour)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().behaviour = behaviour;
}

void EndStartedProcesses()
{
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        ++State().releaseEpoch;
    }
    State().changed.notify_all();
}

void StopStartedProcesses()
{
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().stopping = true;
    }
    State().changed.notify_all();
}

void ResetProcessPart()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().behaviour = StartedProcessBehaviour();
    State().stopping = false;
    State().commandLine.reset();
}

}  // namespace sim

HANDLE GetCurrentProcess() { return kCurrentProcess; }

LPWSTR GetCommandLineW()
{
    std::u16string line = u"\"" + sim::ModulePath() + u"\"";
    std::lock_guard<std::mutex> lock(State().mutex);
    if (State().commandLine) line = *State().commandLine;
    // The answer stays where it is as long as it does not change, as the process's own does.
    if (State().answer != line) State().answer = line;
    return &State().answer[0];
}

BOOL IsWow64Process(HANDLE process, PBOOL wow64)
{
    DWORD error;
    if (sim::TakeFailure("IsWow64Process", &error)) {
        SetLastError(error);
        return FALSE;
    }
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
    DWORD error;
    if (sim::TakeFailure("CreateProcessW", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (!startup || !info || (!application && !commandLine)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (commandLine && text::Length(commandLine) >= kMaxCommandLine) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
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
    sim::StartedProcessBehaviour how;
    unsigned epoch;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        how = State().behaviour;
        epoch = State().releaseEpoch;
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

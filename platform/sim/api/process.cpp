// Processes of the simulated machine: the current process, its command line, whether
// it runs under WOW64, and CreateProcessW, which logs what would have run and hands
// back process and thread handles that the caller must close. The started program is
// not executed: it ends as the control API says (exit code, run time, or never).
#include "platform/sim/api/process.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/process.h"
#include "platform/sim/state/verifier.h"
#include "platform/sim/state/windows.h"
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

namespace {

const char* const kStreamNames[] = {"input", "output", "error"};

// The child's standard handles. A GUI program (every program this machine starts)
// gets none unless STARTF_USESTDHANDLES passes them, and then only handles the child
// inherits: inheritable ones with bInheritHandles TRUE.
sim::StandardHandles ChildStandardHandles(const STARTUPINFOW& startup, BOOL inheritHandles, std::string* described)
{
    sim::StandardHandles child;
    for (sim::Stream& s : child.handle) s = sim::Stream::kNone;
    if (!(startup.dwFlags & STARTF_USESTDHANDLES)) return child;
    sim::StandardHandles parent;
    {
        std::lock_guard<std::mutex> lock(sim::Processes().mutex);
        parent = sim::Processes().standard;
    }
    const HANDLE given[sim::kStreams] = {startup.hStdInput, startup.hStdOutput, startup.hStdError};
    const char* const fields[sim::kStreams] = {"hStdInput", "hStdOutput", "hStdError"};
    std::string names;
    for (int i = 0; i < sim::kStreams; ++i) {
        if (!given[i]) continue;
        sim::Stream stream = sim::StreamOfHandle(given[i]);
        bool inheritable = false;
        for (int j = 0; j < sim::kStreams; ++j)
            inheritable = inheritable || (parent.handle[j] == stream && parent.inheritable[j]);
        if (stream == sim::Stream::kNone || !inheritable || !inheritHandles) {
            sim::RecordViolation(
                "CreateProcessW",
                "with STARTF_USESTDHANDLES the standard handles are inheritable and bInheritHandles "
                "is TRUE",
                std::string(fields[i]) + "=" +
                    (stream == sim::Stream::kNone ? sim::HandleValue("", given[i]).substr(1) : "a standard handle") +
                    (stream == sim::Stream::kNone || inheritable ? "" : ", not inheritable") +
                    ", bInheritHandles=" + (inheritHandles ? "TRUE" : "FALSE"));
            continue;
        }
        child.handle[i] = stream;
        child.inheritable[i] = true;
        names += std::string(names.empty() ? "" : ",") + kStreamNames[i];
    }
    *described = " standard handles " + (names.empty() ? std::string("none") : names);
    return child;
}

std::u16string UpperPath(LPCWSTR path)
{
    std::u16string upper;
    for (LPCWSTR p = path; p && *p; ++p) upper += text::UpperCase(*p);
    return upper;
}

}  // namespace

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
    if (!sim::MemoryFile(application) && (!host || !std::filesystem::is_regular_file(*host, ec))) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string standard;
    sim::StandardHandles childHandles = ChildStandardHandles(*startup, inheritHandles, &standard);
    sim::Log("CreateProcessW " + Utf8OrNone(application) + " command line " + Utf8OrNone(commandLine) + " directory " +
             Utf8OrNone(directory) + (inheritHandles ? " inheriting handles" : "") + standard +
             (flags ? " flags " + std::to_string(flags) : "") + (environment ? " own environment" : "") +
             (sim::FileHeldAgainstWrites(application) ? " (the file held against writes)" : ""));
    auto process = std::make_shared<Process>();
    auto thread = std::make_shared<ProcessThread>();
    sim::StartedProcessBehaviour how;
    unsigned epoch;
    std::function<DWORD()> image;
    {
        std::lock_guard<std::mutex> lock(sim::Processes().mutex);
        how = sim::Processes().behaviour;
        epoch = sim::Processes().releaseEpoch;
        auto found = sim::Processes().images.find(UpperPath(application));
        if (found != sim::Processes().images.end()) image = found->second;
    }
    info->hProcess = sim::AddHandle(process);
    info->hThread = sim::AddHandle(thread);
    if (image) {
        // The program runs as itself: while it runs, the machine shows its view.
        sim::ProcessView view;
        view.modulePath = application;
        view.commandLine = commandLine ? std::u16string(commandLine) : u"\"" + std::u16string(application) + u"\"";
        view.wow64 = false;
        view.currentFolder = directory ? directory : sim::CurrentFolder();
        view.standard = childHandles;
        sim::StartCountedThread(process, [image, view, thread]() {
            sim::ProcessView starter = sim::SwapProcessView(view);
            sim::win::ThreadQueue* starterQueue;
            sim::win::ThreadQueue* ownQueue = sim::win::CurrentQueue();
            {
                std::lock_guard<std::mutex> lock(sim::win::Mutex());
                starterQueue = sim::win::TheProgram().queue;
                sim::win::TheProgram().queue = ownQueue;
                ++sim::win::TheProgram().startedImages;
            }
            DWORD code = image();
            {
                std::lock_guard<std::mutex> lock(sim::win::Mutex());
                sim::win::TheProgram().queue = starterQueue;
                --sim::win::TheProgram().startedImages;
            }
            sim::SwapProcessView(starter);
            thread->Complete(code);
            return code;
        });
    } else {
        // The primary thread ends with the process.
        sim::StartCountedThread(process, [how, epoch, thread]() {
            DWORD code = RunStarted(how, epoch);
            thread->Complete(code);
            return code;
        });
    }
    info->dwProcessId = g_nextProcessId++;
    info->dwThreadId = g_nextProcessId++;
    return TRUE;
}

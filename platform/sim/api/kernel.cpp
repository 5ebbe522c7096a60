// Kernel32 of the simulated machine: last error, time, events, threads, waits,
// handles and the program's module path; and the program's standard output and error.
#include "platform/sim/api/kernel.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <thread>

#include "platform/kernel.h"
#include "platform/sim/state/devices.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/process.h"
#include "platform/sim/state/verifier.h"
#include "platform/sim/state/windows.h"
#include "platform/text.h"

namespace {

thread_local DWORD t_lastError = 0;

class Event : public sim::KernelObject {
public:
    Event(bool manualReset, bool initial) : m_manualReset(manualReset), m_signaled(initial) {}
    const char* Kind() const override { return "event"; }
    bool IsSignaled() const override { return m_signaled; }
    void OnWaitSatisfied() override
    {
        if (!m_manualReset) m_signaled = false;
    }
    void Set(bool signaled) { m_signaled = signaled; }

private:
    bool m_manualReset;
    bool m_signaled;
};

class Thread : public sim::CompletionObject {
public:
    const char* Kind() const override { return "thread"; }
};

std::atomic<DWORD> g_nextThreadId{1000};
thread_local DWORD t_threadId = 0;

}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD code) { t_lastError = code; }

DWORD GetTickCount()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void GetLocalTime(LPSYSTEMTIME time)
{
    if (!time) return;
    {
        std::lock_guard<std::mutex> lock(sim::Machine().mutex);
        if (sim::Machine().clock) {
            *time = *sim::Machine().clock;
            return;
        }
    }
    using namespace std::chrono;
    system_clock::time_point now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    std::tm local = {};
    localtime_r(&seconds, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(sim::Scaled(ms)); }

DWORD GetCurrentThreadId()
{
    if (!t_threadId) t_threadId = g_nextThreadId++;
    return t_threadId;
}

HMODULE GetModuleHandleW(LPCWSTR name)
{
    if (name) {
        SetLastError(ERROR_NOT_SUPPORTED);  // the program asks only for its own module
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x400000));
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module && module != GetModuleHandleW(nullptr)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (sim::FailsNow("GetModuleFileNameW")) return 0;
    std::u16string path = sim::ModulePath();
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (!sim::CheckBufferSize("GetModuleFileNameW", "nSize is the size of lpFilename in characters", buffer,
                              static_cast<size_t>(size) * sizeof(WCHAR),
                              "nSize=" + std::to_string(size) + " characters")) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    if (path.size() >= size) {
        // Since Windows Vista: cut to size - 1, terminated, and the result is size.
        for (DWORD i = 0; i + 1 < size; ++i) buffer[i] = path[i];
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    for (size_t i = 0; i < path.size(); ++i) buffer[i] = path[i];
    buffer[path.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

// As Windows: the length without the NUL when the path fits, else the size needed
// with the NUL and nothing written.
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size)
{
    if (sim::FailsNow("GetSystemDirectoryW")) return 0;
    const std::u16string path = sim::SystemDirectory();
    if (!buffer || size <= path.size()) return static_cast<UINT>(path.size() + 1);
    if (!sim::CheckBufferSize("GetSystemDirectoryW", "uSize is the size of lpBuffer in characters", buffer,
                              static_cast<size_t>(size) * sizeof(WCHAR),
                              "uSize=" + std::to_string(size) + " characters")) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    for (size_t i = 0; i < path.size(); ++i) buffer[i] = path[i];
    buffer[path.size()] = 0;
    return static_cast<UINT>(path.size());
}

// As GetSystemDirectoryW: the length without the NUL when the path fits, else the size
// needed with the NUL and nothing written.
DWORD GetTempPathW(DWORD size, LPWSTR buffer)
{
    if (sim::FailsNow("GetTempPathW")) return 0;
    const std::u16string path = sim::IsSystemAccount() ? sim::kSystemTempFolder : sim::kUserTempFolder;
    if (!buffer || size <= path.size()) return static_cast<DWORD>(path.size() + 1);
    if (!sim::CheckBufferSize("GetTempPathW", "nBufferLength is the size of lpBuffer in characters", buffer,
                              static_cast<size_t>(size) * sizeof(WCHAR),
                              "nBufferLength=" + std::to_string(size) + " characters")) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    for (size_t i = 0; i < path.size(); ++i) buffer[i] = path[i];
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

// It cannot fail; the mode only matters to boxes the machine never shows.
UINT SetErrorMode(UINT mode)
{
    std::lock_guard<std::mutex> lock(sim::Machine().mutex);
    UINT previous = sim::Machine().errorMode;
    sim::Machine().errorMode = mode;
    return previous;
}

// The kinds of handle CloseHandle closes; registry keys, device information sets and
// printer handles have functions of their own.
#define KERNEL_KINDS "event", "thread", "process", "file", "device", "token"
// The kinds a wait can wait on.
#define WAITABLE_KINDS "event", "thread", "process", "file", "device"

BOOL CloseHandle(HANDLE handle)
{
    if (sim::FailsNow("CloseHandle")) return FALSE;  // the handle stays open
    // Closing twice, or a value that is no handle, fails as Windows fails (and raises
    // an exception under a debugger); it is a violation besides, since the value may
    // name another object by then.
    if (!sim::CheckHandle("CloseHandle", "hObject", handle, {KERNEL_KINDS})) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // What still refers to the object: Windows closes it all the same, and what
    // happens to the waiter or the request is undefined.
    if (auto object = sim::LookupHandle(handle)) {
        int waiters;
        {
            std::lock_guard<std::mutex> lock(sim::KernelMutex());
            waiters = object->Waiters();
        }
        if (waiters)
            sim::RecordViolation(
                "CloseHandle", "a handle is not closed while a wait on it is pending",
                sim::HandleValue("hObject", handle) + ", waited on by " + std::to_string(waiters) + " thread(s)");
    }
    std::string pending = sim::PendingRequestUsing(handle);
    if (!pending.empty())
        sim::RecordViolation("CloseHandle",
                             "an event is not closed while a request that signals it is pending (the system sets "
                             "it when the request ends)",
                             sim::HandleValue("hObject", handle) + ", " + pending);
    if (!sim::RemoveHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    if (sim::FailsNow("CreateEventW")) return nullptr;
    if (name) {  // named events are not part of this machine
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return sim::AddHandle(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
}

static BOOL SetEventState(const char* function, HANDLE handle, bool signaled)
{
    auto event = sim::CheckHandle(function, "hEvent", handle, {"event"}) ? sim::LookupHandleAs<Event>(handle) : nullptr;
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(sim::KernelMutex());
        event->Set(signaled);
    }
    sim::KernelChanged().notify_all();
    return TRUE;
}

BOOL SetEvent(HANDLE event) { return SetEventState("SetEvent", event, true); }
BOOL ResetEvent(HANDLE event) { return SetEventState("ResetEvent", event, false); }

namespace sim {

void SignalEventObject(HANDLE handle)
{
    if (auto event = LookupHandleAs<Event>(handle)) {
        std::lock_guard<std::mutex> lock(KernelMutex());
        event->Set(true);
    }
    KernelChanged().notify_all();
}

DWORD WaitForObject(const std::shared_ptr<KernelObject>& object, DWORD ms)
{
    object->OnWaitBegins(ms);
    win::SetInKernelWait(true);
    DWORD result = WAIT_OBJECT_0;
    {
        std::unique_lock<std::mutex> lock(KernelMutex());
        auto ready = [&] { return object->IsSignaled(); };
        object->AddWaiter(+1);
        bool satisfied = true;
        if (ms == INFINITE)
            KernelChanged().wait(lock, ready);
        else
            satisfied = KernelChanged().wait_for(lock, Scaled(ms), ready);
        object->AddWaiter(-1);
        if (satisfied)
            object->OnWaitSatisfied();
        else
            result = WAIT_TIMEOUT;
    }
    win::SetInKernelWait(false);
    return result;
}

}  // namespace sim

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
    if (sim::FailsNow("WaitForSingleObject")) return WAIT_FAILED;
    auto object = sim::CheckHandle("WaitForSingleObject", "hHandle", handle, {WAITABLE_KINDS})
                      ? sim::LookupHandle(handle)
                      : nullptr;
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return sim::WaitForObject(object, ms);
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId)
{
    if (sim::FailsNow("CreateThread")) return nullptr;
    if (!start || flags != 0) {  // suspended starts are not part of this machine
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<Thread>();
    HANDLE handle = sim::AddHandle(thread);
    DWORD id = g_nextThreadId++;
    if (threadId) *threadId = id;
    sim::StartCountedThread(thread, [start, parameter, id]() {
        t_threadId = id;
        return start(parameter);
    });
    return handle;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    if (sim::FailsNow("GetExitCodeProcess")) return FALSE;
    // A thread's exit code is GetExitCodeThread's: a thread handle is of the wrong kind.
    auto object = sim::CheckHandle("GetExitCodeProcess", "hProcess", process, {"process"})
                      ? sim::LookupHandleAs<sim::CompletionObject>(process)
                      : nullptr;
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!exitCode) {  // written unconditionally on Windows
        sim::RecordViolation("GetExitCodeProcess", "lpExitCode points to a DWORD", "lpExitCode=NULL");
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(sim::KernelMutex());
    *exitCode = object->Done() ? object->ExitCode() : STILL_ACTIVE;
    return TRUE;
}

HANDLE GetStdHandle(DWORD which)
{
    sim::Stream stream = which == STD_INPUT_HANDLE    ? sim::Stream::kInput
                         : which == STD_OUTPUT_HANDLE ? sim::Stream::kOutput
                         : which == STD_ERROR_HANDLE  ? sim::Stream::kError
                                                      : sim::Stream::kNone;
    if (stream == sim::Stream::kNone) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return sim::StreamHandle(sim::StandardStreamOf(stream));
}

BOOL SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags)
{
    if (sim::FailsNow("SetHandleInformation")) return FALSE;
    sim::Stream stream = sim::StreamOfHandle(handle);
    bool own = false;
    {
        std::lock_guard<std::mutex> lock(sim::Processes().mutex);
        sim::StandardHandles& standard = sim::Processes().standard;
        for (int i = 0; i < sim::kStreams; ++i) {
            if (stream == sim::Stream::kNone || standard.handle[i] != stream) continue;
            own = true;
            if (mask & HANDLE_FLAG_INHERIT) standard.inheritable[i] = (flags & HANDLE_FLAG_INHERIT) != 0;
        }
    }
    // The machine keeps the flag of the standard handles only; other handles of the
    // program are never passed on.
    if (!own && !sim::LookupHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// The caller's stream that the process's standard handle writes to, if any.
static bool WriteStandardStream(sim::Stream which, const std::string& text)
{
    switch (sim::StandardStreamOf(which)) {
    case sim::Stream::kOutput: sim::WriteStdout(text); return true;
    case sim::Stream::kError: sim::WriteStderr(text); return true;
    default: return false;  // no handle, or the input: nowhere to write
    }
}

void PrintToStdout(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    WriteStandardStream(sim::Stream::kOutput, buffer);
}

// The machine records both of the caller's streams (as UTF-8); a process without the
// standard handle has nowhere to write.
bool WriteStandardText(DWORD stream, const WCHAR* text)
{
    if (!text || (stream != STD_OUTPUT_HANDLE && stream != STD_ERROR_HANDLE)) return false;
    std::string utf8 = text::ToUtf8(text, text::Length(text));
    return WriteStandardStream(stream == STD_OUTPUT_HANDLE ? sim::Stream::kOutput : sim::Stream::kError, utf8);
}

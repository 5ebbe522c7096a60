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
#include "platform/sim/control/machine.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"
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
    for (size_t i = 0; i < path.size(); ++i) buffer[i] = path[i];
    buffer[path.size()] = 0;
    return static_cast<UINT>(path.size());
}

// The kinds of handle CloseHandle closes; registry keys, device information sets and
// printer handles have functions of their own.
#define KERNEL_KINDS "event", "thread", "process", "file", "device"

BOOL CloseHandle(HANDLE handle)
{
    // Closing twice, or a value that is no handle, fails as Windows fails (and raises
    // an exception under a debugger); it is a violation besides, since the value may
    // name another object by then.
    if (!sim::CheckHandle("CloseHandle", "hObject", handle, {KERNEL_KINDS}) || !sim::RemoveHandle(handle)) {
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

static BOOL SetEventState(HANDLE handle, bool signaled)
{
    auto event = sim::LookupHandleAs<Event>(handle);
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

BOOL SetEvent(HANDLE event) { return SetEventState(event, true); }
BOOL ResetEvent(HANDLE event) { return SetEventState(event, false); }

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
    auto object = sim::LookupHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    object->OnWaitBegins(ms);
    std::unique_lock<std::mutex> lock(sim::KernelMutex());
    auto ready = [&] { return object->IsSignaled(); };
    if (ms == INFINITE) {
        sim::KernelChanged().wait(lock, ready);
    } else if (!sim::KernelChanged().wait_for(lock, sim::Scaled(ms), ready)) {
        return WAIT_TIMEOUT;
    }
    object->OnWaitSatisfied();
    return WAIT_OBJECT_0;
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
    auto object = sim::LookupHandleAs<sim::CompletionObject>(process);
    if (!object || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(sim::KernelMutex());
    *exitCode = object->Done() ? object->ExitCode() : STILL_ACTIVE;
    return TRUE;
}

void PrintToStdout(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    sim::WriteStdout(buffer);
}

// Every start has somewhere to write: the machine records both streams (as UTF-8).
bool WriteStandardText(DWORD stream, const WCHAR* text)
{
    if (!text || (stream != STD_OUTPUT_HANDLE && stream != STD_ERROR_HANDLE)) return false;
    std::string utf8 = text::ToUtf8(text, text::Length(text));
    if (stream == STD_OUTPUT_HANDLE)
        sim::WriteStdout(utf8);
    else
        sim::WriteStderr(utf8);
    return true;
}

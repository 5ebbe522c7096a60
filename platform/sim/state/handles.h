// Kernel objects of the simulated machine and the handle table they live in.
// Internal to platform/sim.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/sim/api/win_types.h"

namespace sim {

// Guards the signal state of every kernel object; waiters sleep on KernelChanged().
std::mutex& KernelMutex();
std::condition_variable& KernelChanged();

class KernelObject {
public:
    virtual ~KernelObject() = default;
    virtual const char* Kind() const = 0;
    // Called with KernelMutex held.
    virtual bool IsSignaled() const { return false; }
    virtual void OnWaitSatisfied() {}
    // Called by the wait functions, before waiting, with the time-out asked for (ms).
    virtual void OnWaitBegins(DWORD) {}
    // Threads waiting on the object now (KernelMutex held).
    int Waiters() const { return m_waiters; }
    void AddWaiter(int delta) { m_waiters += delta; }

private:
    int m_waiters = 0;
};

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
// Removes the handle from the table; false when it was not open.
bool RemoveHandle(HANDLE handle);
void ClearHandles();
// Open handles of the kind, or of every kind when kind is empty.
size_t CountHandles(const std::string& kind);

// Waits for the object as WaitForSingleObject does, for the machine's own functions
// that wait on the caller's behalf (GetOverlappedResult): WAIT_OBJECT_0 or WAIT_TIMEOUT.
DWORD WaitForObject(const std::shared_ptr<KernelObject>& object, DWORD ms);
// Sets an event for the machine itself (a request that ends), without the checks of
// SetEvent: a handle that is no longer an event is the program's fault, recorded
// where it closed it.
void SignalEventObject(HANDLE handle);

// A waitable that becomes signalled once and stays so (threads, processes).
class CompletionObject : public KernelObject {
public:
    bool IsSignaled() const override { return m_done; }
    void Complete(DWORD exitCode);  // takes KernelMutex itself
    DWORD ExitCode() const { return m_exitCode; }
    bool Done() const { return m_done; }

private:
    bool m_done = false;
    DWORD m_exitCode = 0;
};

// Runs fn on a new host thread counted by LiveThreadCount(); the object is
// completed with fn's result when it returns.
void StartCountedThread(std::shared_ptr<CompletionObject> object, std::function<DWORD()> fn);
int LiveThreadCount();
// Waits until no such thread runs; false on time-out.
bool WaitUntilNoThreads(std::chrono::milliseconds timeout);

}  // namespace sim

// The simulated machine's handle table and the threads it starts.
#include "platform/sim/state/handles.h"

#include <atomic>
#include <map>
#include <thread>

#include "platform/sim/state/verifier.h"

namespace sim {

namespace {
std::mutex g_tableMutex;
std::map<ULONG_PTR, std::shared_ptr<KernelObject>> g_table;
ULONG_PTR g_nextHandle = 0x100;
std::atomic<int> g_liveThreads{0};

// The locks and condition variables that the machine's detached threads use are never
// destroyed: a thread still finishing while the process exits must not find them gone.
struct Lasting {
    std::mutex kernel, live;
    std::condition_variable kernelChanged, liveChanged;
};
Lasting& Sync()
{
    static Lasting* lasting = new Lasting;
    return *lasting;
}

std::mutex& LiveMutex() { return Sync().live; }
std::condition_variable& LiveChanged() { return Sync().liveChanged; }
}  // namespace

std::mutex& KernelMutex() { return Sync().kernel; }
std::condition_variable& KernelChanged() { return Sync().kernelChanged; }

HANDLE AddHandle(std::shared_ptr<KernelObject> object)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    ULONG_PTR value = g_nextHandle;
    g_nextHandle += 4;  // never reused, so a stale handle is always detected
    NoteHandleOpened(reinterpret_cast<HANDLE>(value), object->Kind());
    g_table[value] = std::move(object);
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = g_table.find(reinterpret_cast<ULONG_PTR>(handle));
    return it == g_table.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> released;  // destroyed outside the lock
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = g_table.find(reinterpret_cast<ULONG_PTR>(handle));
    if (it == g_table.end()) return false;
    released = std::move(it->second);
    g_table.erase(it);
    NoteHandleClosed(handle);
    return true;
}

void ClearHandles()
{
    std::map<ULONG_PTR, std::shared_ptr<KernelObject>> released;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    released.swap(g_table);
}

size_t CountHandles(const std::string& kind)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    size_t n = 0;
    for (const auto& entry : g_table)
        if (kind.empty() || kind == entry.second->Kind()) ++n;
    return n;
}

void CompletionObject::Complete(DWORD exitCode)
{
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        m_exitCode = exitCode;
        m_done = true;
    }
    KernelChanged().notify_all();
}

void StartCountedThread(std::shared_ptr<CompletionObject> object, std::function<DWORD()> fn)
{
    ++g_liveThreads;
    std::thread([object, fn]() {
        DWORD code = fn();
        object->Complete(code);
        std::lock_guard<std::mutex> lock(LiveMutex());
        --g_liveThreads;
        LiveChanged().notify_all();
    }).detach();
}

int LiveThreadCount() { return g_liveThreads.load(); }

bool WaitUntilNoThreads(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(LiveMutex());
    return LiveChanged().wait_for(lock, timeout, [] { return g_liveThreads.load() == 0; });
}

}  // namespace sim

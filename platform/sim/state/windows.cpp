#include "platform/sim/state/windows.h"

#include <algorithm>
#include <set>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/verifier.h"

namespace sim {
namespace win {

namespace {

std::map<HWND, std::shared_ptr<Window>> g_windows;
std::set<HWND> g_destroyed;  // handles are never handed out twice
ULONG_PTR g_nextWindow = 0x10010;
std::vector<std::unique_ptr<ThreadQueue>> g_queues;  // kept for the process's life
thread_local ThreadQueue* t_queue = nullptr;

// Never destroyed, like the kernel's: threads of the machine may still be finishing
// while the process exits.
struct Lasting {
    std::mutex mutex;
    std::condition_variable stateChanged;
};
Lasting& Sync()
{
    static Lasting* lasting = new Lasting;
    return *lasting;
}

}  // namespace

std::mutex& Mutex() { return Sync().mutex; }
std::condition_variable& StateChanged() { return Sync().stateChanged; }

ThreadQueue* CurrentQueue()
{
    if (!t_queue) {
        std::lock_guard<std::mutex> lock(Mutex());
        g_queues.push_back(std::make_unique<ThreadQueue>());
        t_queue = g_queues.back().get();
    }
    return t_queue;
}

void SetInKernelWait(bool blocked)
{
    if (!t_queue) return;  // a thread that never had a queue owns no window
    {
        std::lock_guard<std::mutex> lock(Mutex());
        t_queue->inKernelWait = blocked;
    }
    StateChanged().notify_all();
}

HWND AddWindow(std::shared_ptr<Window> window)
{
    ThreadQueue* queue = CurrentQueue();
    std::lock_guard<std::mutex> lock(Mutex());
    HWND handle = reinterpret_cast<HWND>(g_nextWindow);
    g_nextWindow += 2;
    window->handle = handle;
    window->queue = queue;
    if (window->parent) {
        Window* parent = FindLocked(window->parent);
        if (parent) parent->children.push_back(handle);
    }
    g_windows[handle] = std::move(window);
    return handle;
}

Window* FindLocked(HWND hwnd)
{
    auto it = g_windows.find(hwnd);
    return it == g_windows.end() ? nullptr : it->second.get();
}

Window* UsableLocked(const char* function, HWND hwnd)
{
    if (Window* w = FindLocked(hwnd)) return w;
    if (g_destroyed.count(hwnd))
        RecordViolation(function, "a window is not used after it was destroyed",
                        "hWnd=" + Hex(reinterpret_cast<ULONG_PTR>(hwnd)) + ", destroyed");
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

bool PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> lock(Mutex());
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    w->queue->posted.push_back({hwnd, msg, wParam, lParam});
    w->queue->wake.notify_all();
    return true;
}

void DestroyWindowTree(HWND hwnd)
{
    std::vector<HWND> children;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Window* w = FindLocked(hwnd);
        if (!w) return;
        children = w->children;
    }
    for (HWND child : children) DestroyWindowTree(child);
    Dispatch(hwnd, WM_DESTROY, 0, 0);
    std::shared_ptr<Window> gone;
    std::lock_guard<std::mutex> lock(Mutex());
    auto it = g_windows.find(hwnd);
    if (it == g_windows.end()) return;
    gone = it->second;
    if (Window* parent = FindLocked(gone->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
    for (ThreadQueue* q : {gone->queue}) {
        if (!q) continue;
        q->timers.erase(
            std::remove_if(q->timers.begin(), q->timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
            q->timers.end());
    }
    g_windows.erase(it);
    g_destroyed.insert(hwnd);
}

LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Proc proc;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Window* w = FindLocked(hwnd);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

void Pump(const std::function<bool()>& done)
{
    ThreadQueue* me = CurrentQueue();
    std::unique_lock<std::mutex> lock(Mutex());
    for (;;) {
        if (HandleSentMessage(me, lock)) continue;
        if (done()) break;
        if (!me->posted.empty()) {
            PostedMessage p = me->posted.front();
            me->posted.pop_front();
            lock.unlock();
            Dispatch(p.hwnd, p.msg, p.wParam, p.lParam);
            lock.lock();
            continue;
        }
        Clock::time_point now = Clock::now();
        Timer* due = nullptr;
        for (Timer& t : me->timers)
            if (t.due <= now && (!due || t.due < due->due)) due = &t;
        if (due) {
            due->due = now + due->period;
            Timer fired = *due;
            lock.unlock();
            if (fired.proc)
                fired.proc(fired.hwnd, WM_TIMER, fired.id, GetTickCount());
            else
                Dispatch(fired.hwnd, WM_TIMER, fired.id, 0);
            lock.lock();
            continue;
        }
        me->waiting = true;
        StateChanged().notify_all();
        if (me->timers.empty()) {
            me->wake.wait(lock);
        } else {
            Clock::time_point next = me->timers.front().due;
            for (const Timer& t : me->timers) next = std::min(next, t.due);
            me->wake.wait_until(lock, next);
        }
        me->waiting = false;
        StateChanged().notify_all();
    }
}

bool HandleSentMessage(ThreadQueue* me, std::unique_lock<std::mutex>& lock)
{
    if (me->sent.empty()) return false;
    SentMessage* m = me->sent.front();
    me->sent.pop_front();
    lock.unlock();
    LRESULT result = Dispatch(m->hwnd, m->msg, m->wParam, m->lParam);
    lock.lock();
    m->result = result;
    m->done = true;
    m->sender->wake.notify_all();
    return true;
}

// --- the program, its sheets and boxes -------------------------------------------------

Program& TheProgram()
{
    static Program program;
    return program;
}

std::map<HWND, Sheet*>& Sheets()
{
    static std::map<HWND, Sheet*> sheets;
    return sheets;
}

const Sheet* OpenSheetLocked()
{
    for (auto& entry : Sheets())
        if (!entry.second->ended) return entry.second;
    return nullptr;
}

Boxes& TheBoxes()
{
    static Boxes boxes;
    return boxes;
}

bool AnyBoxOpenLocked() { return !TheBoxes().open.empty(); }

bool AnswerPendingLocked()
{
    for (const Box* b : TheBoxes().open)
        if (b->answer != 0) return true;
    return false;
}

void ResetWindowingPart()
{
    std::lock_guard<std::mutex> lock(Mutex());
    TheProgram().queue = nullptr;
    TheProgram().exitCode = 0;
    Sheets().clear();
    Boxes& boxes = TheBoxes();
    for (Box* b : boxes.open) b->answer = IDCANCEL;  // nothing should be waiting; wake it if so
    boxes.open.clear();
    boxes.history.clear();
    boxes.automaticAnswer.reset();
    g_windows.clear();
    g_destroyed.clear();
    for (auto& q : g_queues) {
        q->posted.clear();
        q->timers.clear();
    }
}

}  // namespace win
}  // namespace sim

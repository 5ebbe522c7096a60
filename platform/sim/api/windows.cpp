// User32 of the simulated machine: windows, controls, messages, timers.
#include "platform/sim/api/windows.h"

#include <algorithm>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/verifier.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/windows.h"

using sim::win::FindLocked;
using sim::win::Mutex;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    using namespace sim::win;
    ThreadQueue* me = CurrentQueue();
    std::unique_lock<std::mutex> lock(Mutex());
    Window* w = UsableLocked("SendMessageW", hwnd);
    if (!w) return 0;
    if (w->queue == me) {
        lock.unlock();
        return Dispatch(hwnd, msg, wParam, lParam);
    }
    // Another thread's window: the message runs on that thread, and this one waits,
    // handling messages sent to itself meanwhile so that two threads can't deadlock.
    SentMessage m{hwnd, msg, wParam, lParam};
    m.sender = me;
    ThreadQueue* target = w->queue;
    target->sent.push_back(&m);
    target->wake.notify_all();
    while (!m.done)
        if (!HandleSentMessage(me, lock)) me->wake.wait(lock);
    return m.result;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("PostMessageW", hwnd);
    if (!w) return FALSE;
    w->queue->posted.push_back({hwnd, msg, wParam, lParam});
    w->queue->wake.notify_all();
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("GetDlgItem", dialog);
    if (!w) return nullptr;
    for (HWND child : w->children)
        if (FindLocked(child)->id == id) return child;
    SetLastError(ERROR_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("GetDlgCtrlID", hwnd);
    return w ? w->id : 0;
}

HWND GetParent(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("GetParent", hwnd);
    return w ? w->parent : nullptr;
}

BOOL IsWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    return FindLocked(hwnd) ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int capacity)
{
    if (capacity <= 0) return 0;
    return static_cast<int>(
        SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) { return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL ShowWindow(HWND hwnd, int command)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("ShowWindow", hwnd);
    if (!w) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    w->visible = command != SW_HIDE;
    return wasVisible;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("EnableWindow", hwnd);
    if (!w) return FALSE;
    BOOL wasDisabled = w->enabled ? FALSE : TRUE;
    w->enabled = enable != FALSE;
    return wasDisabled;
}

BOOL IsWindowVisible(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    // Visible only when the window and every parent are.
    for (sim::win::Window* w = sim::win::UsableLocked("IsWindowVisible", hwnd); w; w = FindLocked(w->parent)) {
        if (!w->visible) return FALSE;
        if (!w->parent) return TRUE;
    }
    return FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("IsWindowEnabled", hwnd);
    return w && w->enabled ? TRUE : FALSE;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("SetWindowLongPtrW", hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if ((index == DWLP_MSGRESULT || index == DWLP_USER) && w->className != "#32770")
        sim::RecordViolation("SetWindowLongPtrW", "the DWLP_ values are valid only for a dialog box",
                             "hWnd=" + sim::Hex(reinterpret_cast<ULONG_PTR>(hwnd)) + ", a " + w->className +
                                 " window, nIndex=" + std::to_string(index));
    LONG_PTR* slot = nullptr;
    if (index == DWLP_MSGRESULT)
        slot = &w->msgResult;
    else if (index == DWLP_USER)
        slot = &w->user;
    else if (index == GWLP_USERDATA)
        slot = &w->userData;
    if (!slot) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LONG_PTR previous = *slot;
    *slot = value;
    return previous;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = sim::win::UsableLocked("GetWindowLongPtrW", hwnd);
    if (!w) return 0;
    if (index == DWLP_MSGRESULT) return w->msgResult;
    if (index == DWLP_USER) return w->user;
    if (index == GWLP_USERDATA) return w->userData;
    return 0;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    using namespace sim::win;
    if (sim::FailsNow("SetTimer")) return 0;
    ThreadQueue* me = CurrentQueue();
    std::lock_guard<std::mutex> lock(Mutex());
    Window* w = UsableLocked("SetTimer", hwnd);
    if (!w) return 0;
    // Windows requires the window to be the calling thread's; Wine puts the timer on
    // the window's thread, and so does this machine, after recording the fault.
    if (w->queue != me)
        sim::RecordViolation("SetTimer", "the window is owned by the calling thread",
                             "hWnd=" + sim::Hex(reinterpret_cast<ULONG_PTR>(hwnd)) +
                                 ", nIDEvent=" + std::to_string(id) + ", a window of another thread");
    auto period = std::chrono::duration_cast<Clock::duration>(sim::Scaled(std::max<UINT>(ms, 10)));
    auto& timers = w->queue->timers;
    timers.erase(
        std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }),
        timers.end());
    timers.push_back({hwnd, id, period, Clock::now() + period, proc});
    w->queue->wake.notify_all();
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    using namespace sim::win;
    std::lock_guard<std::mutex> lock(Mutex());
    Window* w = sim::win::UsableLocked("KillTimer", hwnd);
    if (!w) return FALSE;
    auto& timers = w->queue->timers;
    auto it =
        std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    bool found = it != timers.end();
    timers.erase(it, timers.end());
    return found ? TRUE : FALSE;
}

// User32 of the simulated machine: windows, controls, messages, timers.
#include <algorithm>
#include <map>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/sim/api/kernel.h"
#include "platform/sim/state/parts.h"
#include "platform/sim/state/windows.h"
#include "platform/text.h"

namespace sim {
namespace win {

namespace {

std::map<HWND, std::shared_ptr<Window>> g_windows;
ULONG_PTR g_nextWindow = 0x10010;
std::vector<std::unique_ptr<ThreadQueue>> g_queues;  // kept for the process's life
thread_local ThreadQueue* t_queue = nullptr;
ThreadQueue* g_programQueue = nullptr;

bool LessNoCase(const std::u16string& a, const std::u16string& b)
{
    auto lower = [](char16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char16_t x, char16_t y) { return lower(x) < lower(y); });
}

bool StartsWithNoCase(const std::u16string& s, const std::u16string& prefix)
{
    return s.size() >= prefix.size() && text::EqualNoCaseAscii(s.data(), prefix.size(), prefix.data(), prefix.size());
}

LRESULT CopyText(const std::u16string& from, WPARAM capacity, LPARAM buffer)
{
    auto* out = reinterpret_cast<WCHAR*>(buffer);
    if (!out || capacity == 0) return 0;
    size_t n = std::min<size_t>(from.size(), capacity - 1);
    std::copy(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = 0;
    return static_cast<LRESULT>(n);
}

// Text messages every window understands.
bool TextMessage(Window& w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_SETTEXT:
        w.text = lParam ? reinterpret_cast<const WCHAR*>(lParam) : u"";
        result = TRUE;
        return true;
    case WM_GETTEXT: result = CopyText(w.text, wParam, lParam); return true;
    case WM_GETTEXTLENGTH: result = static_cast<LRESULT>(w.text.size()); return true;
    default: return false;
    }
}

// The item lists of list and combo boxes share their behaviour; only the message
// numbers and the notification differ.
struct ListMessages {
    UINT add, insert, remove, reset, setSel, getSel, getText, getTextLen, count, selectString, findString;
    LRESULT error;
    WORD selChange;
};
const ListMessages kListBox = {LB_ADDSTRING,  LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_SETCURSEL,
                               LB_GETCURSEL,  LB_GETTEXT,      LB_GETTEXTLEN,   LB_GETCOUNT,     LB_SELECTSTRING,
                               LB_FINDSTRING, LB_ERR,          LBN_SELCHANGE};
const ListMessages kComboBox = {CB_ADDSTRING,  CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_SETCURSEL,
                                CB_GETCURSEL,  CB_GETLBTEXT,    CB_GETLBTEXTLEN, CB_GETCOUNT,     CB_SELECTSTRING,
                                CB_FINDSTRING, CB_ERR,          CBN_SELCHANGE};

int FindPrefix(const Window& w, WPARAM startAfter, const std::u16string& prefix)
{
    int count = static_cast<int>(w.items.size());
    int start = static_cast<int>(static_cast<LONG_PTR>(startAfter));
    if (start < -1 || start >= count) start = -1;
    for (int k = 1; k <= count; ++k) {
        int i = (start + k) % count;
        if (StartsWithNoCase(w.items[static_cast<size_t>(i)], prefix)) return i;
    }
    return -1;
}

LRESULT ListProc(const ListMessages& m, DWORD sortStyle, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND notifyParent = nullptr;
    int notifyId = 0;
    LRESULT result = 0;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Window* w = FindLocked(hwnd);
        if (!w) return m.error;
        if (TextMessage(*w, msg, wParam, lParam, result)) return result;
        int count = static_cast<int>(w->items.size());
        int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
        if (msg == m.add || msg == m.insert) {
            std::u16string item = lParam ? reinterpret_cast<const WCHAR*>(lParam) : u"";
            int at = count;
            if (msg == m.insert && index >= 0 && index <= count) at = index;
            if (msg == m.add && (w->style & sortStyle))
                at = static_cast<int>(std::upper_bound(w->items.begin(), w->items.end(), item, LessNoCase) -
                                      w->items.begin());
            w->items.insert(w->items.begin() + at, item);
            if (w->selection >= at) ++w->selection;
            return at;
        }
        if (msg == m.remove) {
            if (index < 0 || index >= count) return m.error;
            w->items.erase(w->items.begin() + index);
            if (w->selection == index)
                w->selection = -1;
            else if (w->selection > index)
                --w->selection;
            return count - 1;
        }
        if (msg == m.reset) {
            w->items.clear();
            w->selection = -1;
            return 0;
        }
        if (msg == m.setSel) {
            if (index == -1) {
                w->selection = -1;
                return m.error;
            }
            if (index < 0 || index >= count) return m.error;
            w->selection = index;
            return index;
        }
        if (msg == m.getSel) return w->selection < 0 ? m.error : w->selection;
        if (msg == m.count) return count;
        if (msg == m.getText || msg == m.getTextLen) {
            if (index < 0 || index >= count) return m.error;
            const std::u16string& item = w->items[static_cast<size_t>(index)];
            if (msg == m.getTextLen) return static_cast<LRESULT>(item.size());
            auto* out = reinterpret_cast<WCHAR*>(lParam);
            if (!out) return m.error;
            std::copy(item.begin(), item.end(), out);
            out[item.size()] = 0;
            return static_cast<LRESULT>(item.size());
        }
        if (msg == m.selectString || msg == m.findString) {
            std::u16string prefix = lParam ? reinterpret_cast<const WCHAR*>(lParam) : u"";
            int found = FindPrefix(*w, wParam, prefix);
            if (found < 0) return m.error;
            if (msg == m.selectString) w->selection = found;
            return found;
        }
        if (msg != kUserSelect) return 0;
        if (index < 0 || index >= count) return m.error;
        w->selection = index;
        notifyParent = w->parent;
        notifyId = w->id;
    }
    // A user's choice: the control tells its parent, as after a mouse click.
    SendMessageW(notifyParent, WM_COMMAND, MAKEWPARAM(notifyId, m.selChange), reinterpret_cast<LPARAM>(hwnd));
    return 0;
}

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> lock(Mutex());
    Window* w = FindLocked(hwnd);
    LRESULT result = 0;
    if (w) TextMessage(*w, msg, wParam, lParam, result);
    return result;
}

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND parent;
    int id;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Window* w = FindLocked(hwnd);
        LRESULT result = 0;
        if (!w) return 0;
        if (TextMessage(*w, msg, wParam, lParam, result)) return result;
        if (msg != BM_CLICK || !w->enabled) return 0;
        parent = w->parent;
        id = w->id;
    }
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    return 0;
}

// Default processing of a dialog: the dialog procedure first; a TRUE result
// returns the value it left in DWLP_MSGRESULT.
LRESULT DialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DLGPROC proc;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Window* w = FindLocked(hwnd);
        if (!w) return 0;
        proc = w->dialogProc;
    }
    INT_PTR handled = proc ? proc(hwnd, msg, wParam, lParam) : FALSE;
    if (msg == WM_INITDIALOG) return handled;
    std::lock_guard<std::mutex> lock(Mutex());
    Window* w = FindLocked(hwnd);
    if (!w) return 0;
    if (handled) return w->msgResult;
    LRESULT result = 0;
    TextMessage(*w, msg, wParam, lParam, result);
    return result;
}

Proc ProcForClass(const std::string& className, DWORD style)
{
    if (className == "ListBox")
        return [style](HWND h, UINT m, WPARAM w, LPARAM l) {
            return ListProc(kListBox, style & LBS_SORT ? LBS_SORT : 0, h, m, w, l);
        };
    if (className == "ComboBox")
        return [style](HWND h, UINT m, WPARAM w, LPARAM l) {
            return ListProc(kComboBox, style & CBS_SORT ? CBS_SORT : 0, h, m, w, l);
        };
    if (className == "Button") return ButtonProc;
    return StaticProc;
}

}  // namespace

// Never destroyed, like the kernel's: threads of the machine may still be finishing
// while the process exits.
std::mutex& Mutex()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

std::condition_variable& StateChanged()
{
    static std::condition_variable* cv = new std::condition_variable;
    return *cv;
}

ThreadQueue* CurrentQueue()
{
    if (!t_queue) {
        std::lock_guard<std::mutex> lock(Mutex());
        g_queues.push_back(std::make_unique<ThreadQueue>());
        t_queue = g_queues.back().get();
    }
    return t_queue;
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
}

HWND CreateDialogFromTemplate(UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam)
{
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    if (!tmpl) return nullptr;
    auto dialog = std::make_shared<Window>();
    dialog->className = "#32770";
    dialog->style = tmpl->style;
    dialog->enabled = (tmpl->style & WS_DISABLED) == 0;
    dialog->text = tmpl->caption;
    dialog->parent = parent;
    dialog->dialogProc = proc;
    dialog->templateId = templateId;
    dialog->proc = DialogWindowProc;
    HWND hwnd = AddWindow(dialog);
    for (const ControlTemplate& c : tmpl->controls) {
        auto control = std::make_shared<Window>();
        control->className = c.className;
        control->id = c.id;
        control->style = c.style;
        control->visible = (c.style & WS_VISIBLE) != 0;
        control->enabled = (c.style & WS_DISABLED) == 0;
        control->text = c.text;
        control->parent = hwnd;
        control->proc = ProcForClass(c.className, c.style);
        AddWindow(control);
    }
    SendMessageW(hwnd, WM_INITDIALOG, 0, initParam);
    return hwnd;
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
        if (!me->sent.empty()) {
            SentMessage* m = me->sent.front();
            me->sent.pop_front();
            lock.unlock();
            LRESULT result = Dispatch(m->hwnd, m->msg, m->wParam, m->lParam);
            lock.lock();
            m->result = result;
            m->done = true;
            m->sender->wake.notify_all();
            continue;
        }
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

void SetProgramQueue(ThreadQueue* queue)
{
    std::lock_guard<std::mutex> lock(Mutex());
    g_programQueue = queue;
}

ThreadQueue* ProgramQueue() { return g_programQueue; }

}  // namespace win

void ResetWindowingPart()
{
    win::ResetProgram();
    win::ResetSheets();
    win::ResetBoxes();
    std::lock_guard<std::mutex> lock(win::Mutex());
    win::g_windows.clear();
    for (auto& q : win::g_queues) {
        q->posted.clear();
        q->timers.clear();
    }
}

}  // namespace sim

using sim::win::FindLocked;
using sim::win::Mutex;

// --- the Windows functions -------------------------------------------------------------

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    using namespace sim::win;
    ThreadQueue* me = CurrentQueue();
    std::unique_lock<std::mutex> lock(Mutex());
    Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
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
    while (!m.done) {
        if (!me->sent.empty()) {
            SentMessage* inner = me->sent.front();
            me->sent.pop_front();
            lock.unlock();
            LRESULT result = Dispatch(inner->hwnd, inner->msg, inner->wParam, inner->lParam);
            lock.lock();
            inner->result = result;
            inner->done = true;
            inner->sender->wake.notify_all();
            continue;
        }
        me->wake.wait(lock);
    }
    return m.result;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->queue->posted.push_back({hwnd, msg, wParam, lParam});
    w->queue->wake.notify_all();
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(dialog);
    if (w)
        for (HWND child : w->children)
            if (FindLocked(child)->id == id) return child;
    SetLastError(w ? ERROR_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(hwnd);
    return w ? w->id : 0;
}

HWND GetParent(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(hwnd);
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
    sim::win::Window* w = FindLocked(hwnd);
    if (!w) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    w->visible = command != SW_HIDE;
    return wasVisible;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(hwnd);
    if (!w) return FALSE;
    BOOL wasDisabled = w->enabled ? FALSE : TRUE;
    w->enabled = enable != FALSE;
    return wasDisabled;
}

BOOL IsWindowVisible(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    // Visible only when the window and every parent are.
    for (sim::win::Window* w = FindLocked(hwnd); w; w = FindLocked(w->parent)) {
        if (!w->visible) return FALSE;
        if (!w->parent) return TRUE;
    }
    return FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(hwnd);
    return w && w->enabled ? TRUE : FALSE;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    std::lock_guard<std::mutex> lock(Mutex());
    sim::win::Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
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
    sim::win::Window* w = FindLocked(hwnd);
    if (!w) return 0;
    if (index == DWLP_MSGRESULT) return w->msgResult;
    if (index == DWLP_USER) return w->user;
    if (index == GWLP_USERDATA) return w->userData;
    return 0;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    using namespace sim::win;
    std::lock_guard<std::mutex> lock(Mutex());
    Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
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
    Window* w = FindLocked(hwnd);
    if (!w) return FALSE;
    auto& timers = w->queue->timers;
    auto it =
        std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    bool found = it != timers.end();
    timers.erase(it, timers.end());
    return found ? TRUE : FALSE;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    sim::Log("InitCommonControlsEx(dwICC=0x" + std::string(1, "0123456789abcdef"[(init->dwICC >> 4) & 15]) +
             std::string(1, "0123456789abcdef"[init->dwICC & 15]) + ")");
    return TRUE;
}

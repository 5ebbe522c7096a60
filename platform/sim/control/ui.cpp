// Runs the program on its own user-interface thread and gives tests the user's
// view of it: snapshots of the sheet and its boxes, user actions, answers to message
// boxes, and waits.
#include "platform/sim/control/ui.h"

#include <algorithm>
#include <thread>

#include "platform/sim/api/msgbox.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/windows.h"

namespace sim {
namespace ui {

using namespace win;

void StartProgram(std::function<int()> main)
{
    {
        std::lock_guard<std::mutex> lock(Mutex());
        TheProgram().queue = nullptr;  // until the new thread has its own: nothing is stable before
        TheProgram().running = true;
    }
    std::thread([main]() {
        ThreadQueue* queue = CurrentQueue();
        {
            std::lock_guard<std::mutex> lock(Mutex());
            TheProgram().queue = queue;
        }
        int code = main();
        // Notified under the lock: whoever sees the program ended has also seen this
        // thread's last use of the machine, so nothing it touches can be torn down
        // (by a reset or by the process's exit) while it is still at work.
        std::lock_guard<std::mutex> lock(Mutex());
        TheProgram().running = false;
        TheProgram().exitCode = code;
        StateChanged().notify_all();
    }).detach();
}

bool ProgramRunning()
{
    std::lock_guard<std::mutex> lock(Mutex());
    return TheProgram().running;
}

bool WaitProgramEnd(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(Mutex());
    return StateChanged().wait_for(lock, timeout, [] { return !TheProgram().running; });
}

int ProgramExitCode()
{
    std::lock_guard<std::mutex> lock(Mutex());
    return TheProgram().exitCode;
}

const ControlState* Snapshot::Control(int id) const
{
    for (const ControlState& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

namespace {

ButtonState ButtonLocked(HWND sheet, int id)
{
    ButtonState b;
    Window* s = FindLocked(sheet);
    if (!s) return b;
    for (HWND child : s->children) {
        Window* w = FindLocked(child);
        if (w && w->id == id) {
            b.exists = true;
            b.visible = w->visible;
            b.enabled = w->enabled;
        }
    }
    return b;
}

Snapshot TakeLocked()
{
    Snapshot snap;
    for (const Box* b : TheBoxes().open) snap.boxes.push_back(b->state);
    const Sheet* sheet = OpenSheetLocked();
    if (!sheet) return snap;
    HWND hwnd = sheet->hwnd;
    Window* s = FindLocked(hwnd);
    if (!s) return snap;
    snap.sheetOpen = true;
    snap.title = s->text;
    snap.sheetCaption = sheet->caption;
    snap.sheetEnabled = s->enabled;
    snap.back = ButtonLocked(hwnd, IDC_BACK_BUTTON);
    snap.next = ButtonLocked(hwnd, IDC_NEXT_BUTTON);
    snap.finish = ButtonLocked(hwnd, IDC_FINISH_BUTTON);
    snap.cancel = ButtonLocked(hwnd, IDCANCEL);
    snap.help = ButtonLocked(hwnd, IDHELP);
    snap.pageIndex = sheet->active;
    Window* page = FindLocked(sheet->ActivePage());
    if (!page) return snap;
    snap.pageTemplate = page->templateId;
    snap.pageCaption = page->text;
    for (HWND child : page->children) {
        Window* w = FindLocked(child);
        if (!w) continue;
        ControlState c;
        c.id = w->id;
        c.className = w->className;
        c.text = w->text;
        c.items = w->items;
        c.selection = w->selection;
        c.visible = w->visible;
        c.enabled = w->enabled;
        snap.controls.push_back(c);
    }
    return snap;
}

bool Refuse(std::string* why, const char* reason)
{
    if (why) *why = reason;
    return false;
}

}  // namespace

Snapshot Take()
{
    std::lock_guard<std::mutex> lock(Mutex());
    return TakeLocked();
}

HWND SheetWindow()
{
    std::lock_guard<std::mutex> lock(Mutex());
    const Sheet* sheet = OpenSheetLocked();
    return sheet ? sheet->hwnd : nullptr;
}

bool Press(Button button, std::string* why)
{
    int id = button == Button::Back     ? IDC_BACK_BUTTON
             : button == Button::Next   ? IDC_NEXT_BUTTON
             : button == Button::Finish ? IDC_FINISH_BUTTON
                                        : IDCANCEL;
    HWND target;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        const Sheet* sheet = OpenSheetLocked();
        if (!sheet) return Refuse(why, "no wizard is open");
        HWND hwnd = sheet->hwnd;
        Window* s = FindLocked(hwnd);
        if (!s || !s->enabled || AnyBoxOpenLocked()) return Refuse(why, "a message box is open");
        ButtonState b = ButtonLocked(hwnd, id);
        if (!b.visible) return Refuse(why, "the button is not shown");
        if (!b.enabled) return Refuse(why, "the button is disabled");
        target = hwnd;
    }
    // A click: the button tells the sheet by WM_COMMAND, on the sheet's thread.
    return PostToWindow(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? true : Refuse(why, "the wizard is gone");
}

static bool PostToSheet(UINT msg, WPARAM wParam, std::string* why)
{
    HWND target;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        const Sheet* sheet = OpenSheetLocked();
        if (!sheet) return Refuse(why, "no wizard is open");
        if (AnyBoxOpenLocked()) return Refuse(why, "a message box is open");
        target = sheet->hwnd;
    }
    return PostToWindow(target, msg, wParam, 0) ? true : Refuse(why, "the wizard is gone");
}

bool CloseSheet(std::string* why) { return PostToSheet(WM_SYSCOMMAND, SC_CLOSE, why); }
bool PressEscape(std::string* why) { return PostToSheet(WM_COMMAND, IDCANCEL, why); }

bool Choose(int controlId, const std::u16string& item, std::string* why)
{
    HWND control = nullptr;
    WPARAM index = 0;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        const Sheet* sheet = OpenSheetLocked();
        if (!sheet) return Refuse(why, "no wizard is open");
        if (AnyBoxOpenLocked()) return Refuse(why, "a message box is open");
        Window* page = FindLocked(sheet->ActivePage());
        if (!page) return Refuse(why, "no page is shown");
        for (HWND child : page->children) {
            Window* w = FindLocked(child);
            if (w && w->id == controlId) control = child;
        }
        Window* w = FindLocked(control);
        if (!w || (w->className != "ListBox" && w->className != "ComboBox"))
            return Refuse(why, "no such list on the page");
        if (!w->visible) return Refuse(why, "the list is not shown");
        if (!w->enabled) return Refuse(why, "the list is disabled");
        auto it = std::find(w->items.begin(), w->items.end(), item);
        if (it == w->items.end()) return Refuse(why, "the list has no such item");
        index = static_cast<WPARAM>(it - w->items.begin());
    }
    return PostToWindow(control, kUserSelect, index, 0) ? true : Refuse(why, "the list is gone");
}

// Waits until ready() (called with Mutex() held) holds; false on time-out. Threads end
// and timers fire without telling this lock, so it looks again every few ms.
static bool PollUntil(std::chrono::milliseconds timeout, bool (*ready)())
{
    auto deadline = Clock::now() + timeout;
    std::unique_lock<std::mutex> lock(Mutex());
    while (!ready()) {
        if (Clock::now() >= deadline) return false;
        StateChanged().wait_for(lock, std::chrono::milliseconds(2));
    }
    return true;
}

// Whether the thread waits for input with no message sent or posted to it.
static bool HandledItsQueueLocked(const ThreadQueue* q)
{
    return q && q->waiting && q->sent.empty() && q->posted.empty();
}

// A box waiting for the user is a resting point even while a page's timer keeps polling
// or the thread that opened it (a worker) is alive. A worker's box leaves the
// user-interface thread free, though: the point is reached once that thread has
// handled what was sent or posted to it (a button change posted just before the
// worker started), or is blocked on a kernel object and can change nothing.
static bool BoxRestsLocked()
{
    if (!AnyBoxOpenLocked() || AnswerPendingLocked()) return false;
    ThreadQueue* ui = TheProgram().queue;
    if (!ui) return true;
    for (const Box* box : TheBoxes().open)
        if (box->queue == ui) return true;
    return ui->inKernelWait || HandledItsQueueLocked(ui);
}

bool WaitStable(std::chrono::milliseconds timeout)
{
    return PollUntil(timeout, [] {
        if (!TheProgram().running || BoxRestsLocked()) return true;
        ThreadQueue* q = TheProgram().queue;
        return HandledItsQueueLocked(q) && q->timers.empty() && !AnswerPendingLocked() &&
               LiveThreadCount() == TheProgram().startedImages;
    });
}

bool WaitIdle(std::chrono::milliseconds timeout)
{
    return PollUntil(timeout, [] {
        if (!TheProgram().running || BoxRestsLocked()) return true;
        ThreadQueue* q = TheProgram().queue;
        return HandledItsQueueLocked(q) && !AnswerPendingLocked();
    });
}

bool WaitForBox(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(Mutex());
    return StateChanged().wait_for(lock, timeout, [] { return AnyBoxOpenLocked(); });
}

// --- message boxes ---------------------------------------------------------------------

// Which answers a box of this style accepts.
static bool Accepts(UINT style, int button)
{
    switch (style & 0xF) {
    case MB_OK: return button == IDOK;
    case MB_OKCANCEL: return button == IDOK || button == IDCANCEL;
    case MB_YESNO: return button == IDYES || button == IDNO;
    default: return button == IDOK || button == IDCANCEL;
    }
}

bool AnswerBox(int button, std::string* why)
{
    std::lock_guard<std::mutex> lock(Mutex());
    if (TheBoxes().open.empty()) {
        if (why) *why = "no message box is open";
        return false;
    }
    Box* box = TheBoxes().open.back();
    if (!Accepts(box->state.style, button)) {
        if (why) *why = "the message box has no such button";
        return false;
    }
    box->answer = button;
    box->queue->wake.notify_all();
    StateChanged().notify_all();
    return true;
}

void SetAutomaticBoxAnswer(std::optional<int> button)
{
    std::lock_guard<std::mutex> lock(Mutex());
    TheBoxes().automaticAnswer = button;
}

std::vector<BoxState> BoxHistory()
{
    std::lock_guard<std::mutex> lock(Mutex());
    return TheBoxes().history;
}

}  // namespace ui
}  // namespace sim

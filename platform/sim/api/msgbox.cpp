// MessageBoxW of the simulated machine: the box stays open, and its owner's
// top-level window disabled, until the user (the control API) answers it.
#include <algorithm>
#include <list>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/sim/api/kernel.h"
#include "platform/sim/state/windows.h"
#include "platform/text.h"

namespace sim {
namespace win {

struct Box {
    ui::BoxState state;
    HWND owner = nullptr;
    ThreadQueue* queue = nullptr;
    int answer = 0;
};

namespace {
std::list<Box*> g_open;  // guarded by Mutex(), oldest first
std::vector<ui::BoxState> g_history;
std::optional<int> g_automatic;

HWND TopLevel(HWND hwnd)
{
    for (Window* w = FindLocked(hwnd); w; w = FindLocked(w->parent))
        if (!w->parent) return w->handle;
    return nullptr;
}

std::string Describe(const ui::BoxState& b)
{
    return "MessageBox caption=\"" + text::ToUtf8(b.caption) + "\" text=\"" + text::ToUtf8(b.text) + "\"";
}
}  // namespace

void ResetBoxes()
{
    std::lock_guard<std::mutex> lock(Mutex());
    for (Box* b : g_open) b->answer = IDCANCEL;  // nothing should be waiting; wake it if so
    g_open.clear();
    g_history.clear();
    g_automatic.reset();
}

bool AnyBoxOpenLocked() { return !g_open.empty(); }

bool AnswerPendingLocked()
{
    for (const Box* b : g_open)
        if (b->answer != 0) return true;
    return false;
}

}  // namespace win

namespace ui {

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
    using namespace win;
    std::lock_guard<std::mutex> lock(Mutex());
    if (g_open.empty()) {
        if (why) *why = "no message box is open";
        return false;
    }
    Box* box = g_open.back();
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
    std::lock_guard<std::mutex> lock(win::Mutex());
    win::g_automatic = button;
}

std::vector<BoxState> BoxHistory()
{
    std::lock_guard<std::mutex> lock(win::Mutex());
    return win::g_history;
}

std::vector<BoxState> OpenBoxesLocked()
{
    std::vector<BoxState> boxes;
    for (const win::Box* b : win::g_open) boxes.push_back(b->state);
    return boxes;
}

}  // namespace ui
}  // namespace sim

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    using namespace sim::win;
    Box box;
    box.state.text = text ? text : u"";
    box.state.caption = caption ? caption : u"Error";
    box.state.style = type;
    box.state.hasOwner = owner != nullptr;
    box.owner = owner;
    sim::Log(Describe(box.state));
    ThreadQueue* me = CurrentQueue();
    box.queue = me;
    HWND disabled = nullptr;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        g_history.push_back(box.state);
        if (g_automatic) return *g_automatic;
        // A modal box disables its owner's top-level window until it closes.
        HWND top = TopLevel(owner);
        if (Window* w = FindLocked(top); w && w->enabled) {
            w->enabled = false;
            disabled = top;
        }
        g_open.push_back(&box);
        me->wake.notify_all();
    }
    StateChanged().notify_all();
    Pump([&] { return box.answer != 0; });
    {
        std::lock_guard<std::mutex> lock(Mutex());
        g_open.remove(&box);
        if (Window* w = FindLocked(disabled)) w->enabled = true;
    }
    StateChanged().notify_all();
    return box.answer;
}

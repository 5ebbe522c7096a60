// MessageBoxW of the simulated machine: the box stays open, and its owner's
// top-level window disabled, until the user (the control API) answers it.
#include "platform/sim/api/msgbox.h"

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/windows.h"
#include "platform/text.h"

namespace {

using namespace sim::win;

HWND TopLevel(HWND hwnd)
{
    for (Window* w = FindLocked(hwnd); w; w = FindLocked(w->parent))
        if (!w->parent) return w->handle;
    return nullptr;
}

std::string Describe(const sim::ui::BoxState& b)
{
    return "MessageBox caption=\"" + text::ToUtf8(b.caption) + "\" text=\"" + text::ToUtf8(b.text) + "\"";
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    // The buttons are one of MB_OK to MB_CANCELTRYCONTINUE; any other value fails.
    if ((type & 0xF) > 6) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    if (owner) {
        std::lock_guard<std::mutex> lock(Mutex());
        if (!UsableLocked("MessageBoxW", owner)) return 0;
    }
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
        Boxes& boxes = TheBoxes();
        boxes.history.push_back(box.state);
        if (boxes.automaticAnswer) return *boxes.automaticAnswer;
        // A modal box disables its owner's top-level window until it closes.
        HWND top = TopLevel(owner);
        if (Window* w = FindLocked(top); w && w->enabled) {
            w->enabled = false;
            disabled = top;
        }
        boxes.open.push_back(&box);
        me->wake.notify_all();
    }
    StateChanged().notify_all();
    Pump([&] { return box.answer != 0; });
    {
        std::lock_guard<std::mutex> lock(Mutex());
        TheBoxes().open.remove(&box);
        if (Window* w = FindLocked(disabled)) w->enabled = true;
    }
    StateChanged().notify_all();
    return box.answer;
}

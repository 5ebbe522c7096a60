// The window classes of the simulated machine: static texts, buttons, list and combo
// boxes as a dialog template makes them, the dialog class itself, and dialogs made
// from the program's templates.
#include <algorithm>

#include "platform/sim/api/windows.h"
#include "platform/sim/state/templates.h"
#include "platform/sim/state/verifier.h"
#include "platform/sim/state/windows.h"
#include "platform/text.h"

namespace sim {
namespace win {

namespace {

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
    if (!CheckBufferSize("WM_GETTEXT", "wParam is the size of the buffer in characters", out,
                         static_cast<size_t>(capacity) * sizeof(WCHAR),
                         "wParam=" + std::to_string(capacity) + " characters"))
        return 0;
    size_t n = std::min<size_t>(from.size(), capacity - 1);
    std::copy(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = 0;
    return static_cast<LRESULT>(n);
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
            const char* name = msg == LB_GETTEXT ? "LB_GETTEXT" : "CB_GETLBTEXT";
            if (!CheckBufferSize(
                    name, "the buffer holds the item's text and its NUL (the text length + 1 characters)", out,
                    (item.size() + 1) * sizeof(WCHAR),
                    "item " + std::to_string(index) + " of " + std::to_string(item.size()) + " characters"))
                return m.error;
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

}  // namespace

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

}  // namespace win
}  // namespace sim

// PropertySheetW of the simulated machine, in wizard mode as comctl32 runs it:
// pages are made when first shown, PSN_* notifications decide each move, the
// wizard buttons follow PSM_SETWIZBUTTONS, and the title is the page's caption. And
// InitCommonControlsEx, which only checks its argument and logs the classes asked for.
#include "platform/sim/api/propsheet.h"

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"
#include "platform/sim/state/windows.h"

namespace sim {
namespace win {

namespace {

Sheet* FindSheet(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(Mutex());
    auto it = Sheets().find(hwnd);
    return it == Sheets().end() ? nullptr : it->second;
}

LRESULT Notify(Sheet& s, HWND page, UINT code)
{
    PSHNOTIFY n = PSHNOTIFY();
    n.hdr.hwndFrom = s.hwnd;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

HWND EnsurePage(Sheet& s, int index)
{
    if (s.pageWindows[static_cast<size_t>(index)]) return s.pageWindows[static_cast<size_t>(index)];
    const PROPSHEETPAGEW& p = s.pages[static_cast<size_t>(index)];
    UINT templateId = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(p.pszTemplate));
    HWND page = CreateDialogFromTemplate(templateId, s.hwnd, p.pfnDlgProc,
                                         reinterpret_cast<LPARAM>(&s.pages[static_cast<size_t>(index)]));
    std::lock_guard<std::mutex> lock(Mutex());
    s.pageWindows[static_cast<size_t>(index)] = page;
    return page;
}

// Activates page index, skipping pages that refuse (PSN_SETACTIVE -1) in the
// direction skip; false when no page took it.
bool SetCurSel(Sheet& s, int index, int skip)
{
    while (index >= 0 && index < static_cast<int>(s.pages.size())) {
        HWND page = EnsurePage(s, index);
        if (!page) return false;
        if (Notify(s, page, PSN_SETACTIVE) != -1) {
            std::u16string title;
            {
                std::lock_guard<std::mutex> lock(Mutex());
                for (size_t i = 0; i < s.pageWindows.size(); ++i)
                    if (Window* w = FindLocked(s.pageWindows[i])) w->visible = static_cast<int>(i) == index;
                s.active = index;
                if (Window* w = FindLocked(page)) title = w->text;
            }
            if (s.wizard) SetWindowTextW(s.hwnd, title.c_str());
            return true;
        }
        index += skip;
    }
    return false;
}

int FindPageByTemplate(const Sheet& s, LRESULT templateId)
{
    for (size_t i = 0; i < s.pages.size(); ++i)
        if (reinterpret_cast<LRESULT>(s.pages[i].pszTemplate) == templateId) return static_cast<int>(i);
    return -1;
}

// Moves by the page's answer to PSN_WIZNEXT or PSN_WIZBACK.
void Move(Sheet& s, UINT code, int step)
{
    HWND page = s.ActivePage();
    if (!page) return;
    LRESULT answer = Notify(s, page, code);
    if (answer == -1) return;
    int target = answer == 0 ? s.active + step : FindPageByTemplate(s, answer);
    if (target < 0 || target >= static_cast<int>(s.pages.size())) return;
    if (Notify(s, page, PSN_KILLACTIVE) != 0) return;
    SetCurSel(s, target, step);
}

void End(Sheet& s, INT_PTR result)
{
    std::lock_guard<std::mutex> lock(Mutex());
    s.ended = true;
    s.result = result;
}

void Finish(Sheet& s)
{
    HWND page = s.ActivePage();
    if (!page || Notify(s, page, PSN_WIZFINISH) != 0) return;
    End(s, IDOK);
}

void Cancel(Sheet& s)
{
    HWND page = s.ActivePage();
    if (page && Notify(s, page, PSN_QUERYCANCEL) != 0) return;  // the page refused
    for (HWND p : s.pageWindows)
        if (p) Notify(s, p, PSN_RESET);
    End(s, 0);
}

void SetWizardButtons(Sheet& s, DWORD flags)
{
    HWND back = GetDlgItem(s.hwnd, IDC_BACK_BUTTON);
    HWND next = GetDlgItem(s.hwnd, IDC_NEXT_BUTTON);
    HWND finish = GetDlgItem(s.hwnd, IDC_FINISH_BUTTON);
    EnableWindow(back, (flags & PSWIZB_BACK) ? TRUE : FALSE);
    EnableWindow(next, (flags & PSWIZB_NEXT) ? TRUE : FALSE);
    if (flags & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) {
        ShowWindow(next, SW_HIDE);
        ShowWindow(finish, SW_SHOW);
        EnableWindow(finish, (flags & PSWIZB_DISABLEDFINISH) ? FALSE : TRUE);
    } else {
        ShowWindow(finish, SW_HIDE);
        ShowWindow(next, SW_SHOW);
        EnableWindow(finish, FALSE);
    }
}

void PressButton(Sheet& s, WPARAM button)
{
    switch (button) {
    case PSBTN_BACK: Move(s, PSN_WIZBACK, -1); break;
    case PSBTN_NEXT: Move(s, PSN_WIZNEXT, +1); break;
    case PSBTN_FINISH: Finish(s); break;
    case PSBTN_CANCEL: Cancel(s); break;
    default: break;
    }
}

LRESULT SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Sheet* s = FindSheet(hwnd);
    if (!s) return 0;
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BACK_BUTTON: PressButton(*s, PSBTN_BACK); break;
        case IDC_NEXT_BUTTON: PressButton(*s, PSBTN_NEXT); break;
        case IDC_FINISH_BUTTON: PressButton(*s, PSBTN_FINISH); break;
        case IDCANCEL: PressButton(*s, PSBTN_CANCEL); break;
        default: break;
        }
        return 0;
    case WM_CLOSE: Cancel(*s); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) Cancel(*s);
        return 0;
    case PSM_SETWIZBUTTONS:
        // Back, Next, Finish, disabled Finish, and (since Vista) Cancel: any other bit is
        // a mistaken flag, whose effect Windows leaves open.
        if (static_cast<DWORD>(lParam) & ~static_cast<DWORD>(0x1F))
            sim::RecordViolation("PropSheet_SetWizButtons",
                                 "the flags are PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH, PSWIZB_DISABLEDFINISH",
                                 "dwFlags=" + sim::Hex(static_cast<ULONG_PTR>(lParam)));
        SetWizardButtons(*s, static_cast<DWORD>(lParam));
        return 0;
    case PSM_PRESSBUTTON: PressButton(*s, wParam); return 0;
    case PSM_SETCURSEL: return SetCurSel(*s, static_cast<int>(wParam), 1) ? TRUE : FALSE;
    case PSM_GETCURRENTPAGEHWND: return reinterpret_cast<LRESULT>(s->ActivePage());
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::mutex> lock(Mutex());
        Window* w = FindLocked(hwnd);
        LRESULT result = 0;
        if (w) TextMessage(*w, msg, wParam, lParam, result);
        return result;
    }
    default: return 0;
    }
}

HWND AddButton(HWND sheet, int id, const char16_t* label, bool visible)
{
    auto b = std::make_shared<Window>();
    b->className = "Button";
    b->id = id;
    b->text = label;
    b->visible = visible;
    b->parent = sheet;
    b->proc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        // A click on a sheet button: the sheet hears of it by WM_COMMAND.
        if (m == BM_CLICK) {
            if (!IsWindowEnabled(h)) return 0;
            return SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED),
                                reinterpret_cast<LPARAM>(h));
        }
        std::lock_guard<std::mutex> lock(Mutex());
        Window* self = FindLocked(h);
        if (self && m == WM_GETTEXTLENGTH) return static_cast<LRESULT>(self->text.size());
        (void)w;
        (void)l;
        return 0;
    };
    return AddWindow(b);
}

}  // namespace

}  // namespace win
}  // namespace sim

INT_PTR PropertySheetW(LPCPROPSHEETHEADERW header)
{
    using namespace sim::win;
    if (sim::FailsNow("PropertySheetW")) return -1;
    if (!header || header->nPages == 0 || !header->ppsp || !(header->dwFlags & PSH_PROPSHEETPAGE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    // The sizes tell comctl32 which version of the records the program uses: a page of
    // an unknown size cannot be made, and the sheet fails; a header's is undefined.
    if (header->dwSize != sizeof(PROPSHEETHEADERW))
        sim::RecordViolation("PropertySheetW", "dwSize is the size of PROPSHEETHEADERW",
                             "dwSize=" + std::to_string(header->dwSize));
    for (UINT i = 0; i < header->nPages; ++i)
        if (header->ppsp[i].dwSize != sizeof(PROPSHEETPAGEW)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return -1;
        }
    Sheet sheet;
    sheet.wizard = (header->dwFlags & PSH_WIZARD) != 0;
    sheet.caption = header->pszCaption ? header->pszCaption : u"";
    sheet.pages.assign(header->ppsp, header->ppsp + header->nPages);
    sheet.pageWindows.assign(header->nPages, nullptr);
    sheet.hasHelp = (header->dwFlags & PSH_HASHELP) != 0;
    for (const PROPSHEETPAGEW& p : sheet.pages) sheet.hasHelp = sheet.hasHelp || (p.dwFlags & PSP_HASHELP);

    auto window = std::make_shared<Window>();
    window->className = "#32770";
    window->text = sheet.wizard ? u"" : sheet.caption;
    window->visible = true;
    window->proc = SheetProc;
    HWND hwnd = AddWindow(window);
    sheet.hwnd = hwnd;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Sheets()[hwnd] = &sheet;
    }
    if (sheet.wizard) {
        AddButton(hwnd, IDC_BACK_BUTTON, u"< &Back", true);
        AddButton(hwnd, IDC_NEXT_BUTTON, u"&Next >", true);
        AddButton(hwnd, IDC_FINISH_BUTTON, u"Finish", false);
    } else {
        AddButton(hwnd, IDOK, u"OK", true);
    }
    AddButton(hwnd, IDCANCEL, u"Cancel", true);
    AddButton(hwnd, IDHELP, u"&Help", sheet.hasHelp);
    if (sheet.wizard) EnableWindow(GetDlgItem(hwnd, IDC_FINISH_BUTTON), FALSE);

    // As comctl32 does: the callback hears of the sheet before the first page shows.
    if ((header->dwFlags & PSH_USECALLBACK) && header->pfnCallback) header->pfnCallback(hwnd, PSCB_INITIALIZED, 0);
    int start = static_cast<int>(header->nStartPage);
    if (start < 0 || start >= static_cast<int>(header->nPages)) start = 0;
    bool shown = SetCurSel(sheet, start, 1);

    INT_PTR result = -1;
    if (shown) {
        Pump([&] { return sheet.ended; });
        result = sheet.result;
    }
    for (HWND page : sheet.pageWindows)
        if (page) DestroyWindowTree(page);
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Sheets().erase(hwnd);
    }
    DestroyWindowTree(hwnd);
    StateChanged().notify_all();
    return result;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    sim::Log("InitCommonControlsEx(dwICC=0x" + std::string(1, "0123456789abcdef"[(init->dwICC >> 4) & 15]) +
             std::string(1, "0123456789abcdef"[init->dwICC & 15]) + ")");
    return TRUE;
}

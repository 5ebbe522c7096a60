// The probe wizard (see probe.rc): what tests/wine/e2e.sh drives to check the UI
// driver itself, independent of the real wizard's pages.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <initializer_list>

namespace {

INT_PTR CALLBACK FirstPage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        for (const wchar_t* item : {L"红", L"Green"})
            ::SendDlgItemMessageW(page, 1018, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        for (const wchar_t* item : {L"One", L"Two"})
            ::SendDlgItemMessageW(page, 1010, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        ::SendDlgItemMessageW(page, 1018, CB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND: {
        // Only the notifications tell the page; the label shows what it heard.
        wchar_t item[64] = {0}, label[96];
        if (LOWORD(wParam) == 1018 && HIWORD(wParam) == CBN_SELCHANGE) {
            LRESULT i = ::SendDlgItemMessageW(page, 1018, CB_GETCURSEL, 0, 0);
            ::SendDlgItemMessageW(page, 1018, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            wsprintfW(label, L"series %s", item);
            ::SetDlgItemTextW(page, 1029, label);
        } else if (LOWORD(wParam) == 1010 && HIWORD(wParam) == LBN_SELCHANGE) {
            LRESULT i = ::SendDlgItemMessageW(page, 1010, LB_GETCURSEL, 0, 0);
            ::SendDlgItemMessageW(page, 1010, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            wsprintfW(label, L"model %s", item);
            ::SetDlgItemTextW(page, 1029, label);
        }
        return FALSE;
    }
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == PSN_SETACTIVE) {
            ::PostMessageW(::GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
            ::SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK SecondPage(HWND page, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_NOTIFY) return msg == WM_INITDIALOG;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE:
        ::PostMessageW(::GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
        ::SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_WIZFINISH: {
        // A box owned by the page, as the wizard's pages show theirs; Cancel keeps the sheet.
        int answer = ::MessageBoxW(page, L"Finish now?\n现在完成？", L"Question", MB_OKCANCEL | MB_ICONQUESTION);
        ::SetWindowLongPtrW(page, DWLP_MSGRESULT, answer == IDOK ? FALSE : TRUE);
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    PROPSHEETPAGEW pages[2] = {};
    DLGPROC procs[2] = {&FirstPage, &SecondPage};
    for (int i = 0; i < 2; ++i) {
        pages[i].dwSize = sizeof(PROPSHEETPAGEW);
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEW(101 + i);
        pages[i].pfnDlgProc = procs[i];
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    header.hInstance = instance;
    header.pszCaption = L"Probe";
    header.nPages = 2;
    header.ppsp = pages;
    ::PropertySheetW(&header);
    return 0;
}

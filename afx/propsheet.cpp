// CPropertyPage and CPropertySheet over PropertySheetW: the page's dialog procedure
// turns the sheet's notifications into calls of the page's members.
#include <vector>

#include "afx/propsheet.h"
#include "platform/kernel.h"

namespace {
// The sheet whose PropertySheetW call is running on this thread, until the sheet's
// window exists and the callback has attached it.
thread_local CPropertySheet* t_creatingSheet = nullptr;
}  // namespace

// --- CPropertyPage -------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CPropertyPage, CWnd)

CPropertyPage::CPropertyPage(UINT templateId, UINT) : m_nTemplateId(templateId) {}

void CPropertyPage::BuildPage(CPropertySheet* sheet, PROPSHEETPAGEW& page)
{
    m_pSheet = sheet;
    m_bFirstSetActive = true;
    page = PROPSHEETPAGEW();
    page.dwSize = sizeof(PROPSHEETPAGEW);
    // Pages carry the help flag by default, so the sheet has a Help button unless
    // the sheet hides it.
    page.dwFlags = PSP_HASHELP;
    page.hInstance = ::GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(m_nTemplateId);
    page.pfnDlgProc = &CPropertyPage::DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* page = reinterpret_cast<CPropertyPage*>(sheetPage->lParam);
        page->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        return page->OnInitDialog();
    }
    auto* page = reinterpret_cast<CPropertyPage*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page) return FALSE;
    if (msg == WM_DESTROY) {
        page->m_hWnd = nullptr;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    LRESULT result = 0;
    bool handled;
    if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == ::GetParent(hwnd)) {
        result = page->OnNotify(reinterpret_cast<const NMHDR*>(lParam));
        handled = true;
    } else {
        handled = page->ProcessWindowMessage(msg, wParam, lParam, result) != FALSE;
    }
    if (!handled) return FALSE;
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CPropertyPage::OnNotify(const NMHDR* header)
{
    switch (header->code) {
    case PSN_SETACTIVE: return OnSetActive() ? 0 : -1;
    case PSN_KILLACTIVE: return OnKillActive() ? FALSE : TRUE;
    case PSN_WIZBACK: return OnWizardBack();
    case PSN_WIZNEXT: return OnWizardNext();
    case PSN_WIZFINISH: return OnWizardFinish() ? FALSE : TRUE;
    case PSN_QUERYCANCEL: return OnQueryCancel() ? FALSE : TRUE;
    case PSN_RESET: OnReset(); return 0;
    default: return 0;
    }
}

BOOL CPropertyPage::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return CWnd::ProcessWindowMessage(msg, wParam, lParam, result);
}

BOOL CPropertyPage::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnSetActive()
{
    // The first activation follows OnInitDialog, which has just filled the controls.
    if (m_bFirstSetActive)
        m_bFirstSetActive = false;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return TRUE; }
LRESULT CPropertyPage::OnWizardBack() { return 0; }
LRESULT CPropertyPage::OnWizardNext() { return 0; }
BOOL CPropertyPage::OnWizardFinish() { return TRUE; }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
void CPropertyPage::OnReset() {}

void CPropertyPage::EndDialog(int result)
{
    if (m_pSheet) m_pSheet->EndDialog(result);
}

// --- CPropertySheet ------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertySheet::CPropertySheet(LPCWSTR caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption), m_hParent(parent ? parent->m_hWnd : nullptr), m_nStartPage(selectPage)
{}

void CPropertySheet::AddPage(CPropertyPage* page) { m_pages.push_back(page); }

BOOL CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= GetPageCount()) return FALSE;
    if (!m_hWnd) {
        m_nStartPage = static_cast<UINT>(index);
        return TRUE;
    }
    return ::SendMessageW(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page)
{
    for (int i = 0; i < GetPageCount(); ++i)
        if (m_pages[static_cast<size_t>(i)] == page) return SetActivePage(i);
    return FALSE;
}

INT_PTR CPropertySheet::DoModal()
{
    std::vector<PROPSHEETPAGEW> pages(m_pages.size());
    for (size_t i = 0; i < m_pages.size(); ++i) m_pages[i]->BuildPage(this, pages[i]);

    PROPSHEETHEADERW header = PROPSHEETHEADERW();
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_HASHELP | (m_bWizard ? PSH_WIZARD : 0);
    header.hwndParent = m_hParent;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = m_strCaption;
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = m_nStartPage;
    header.ppsp = pages.data();
    header.pfnCallback = &CPropertySheet::SheetCallback;

    m_bEnded = false;
    t_creatingSheet = this;
    INT_PTR result = ::PropertySheetW(&header);
    t_creatingSheet = nullptr;
    m_hWnd = nullptr;
    if (m_bEnded) return m_nEndResult;
    return result > 0 ? IDOK : (result == 0 ? IDCANCEL : -1);
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT msg, LPARAM)
{
    if (msg == PSCB_INITIALIZED && t_creatingSheet) {
        CPropertySheet* sheet = t_creatingSheet;
        t_creatingSheet = nullptr;
        sheet->m_hWnd = hwnd;
        sheet->OnInitDialog();
    }
    return 0;
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

void CPropertySheet::SetWizardButtons(DWORD flags)
{
    ::PostMessageW(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
}

void CPropertySheet::EndDialog(int result)
{
    m_nEndResult = result;
    m_bEnded = true;
    ::PostMessageW(m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

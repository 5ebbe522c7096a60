// CWnd, the list controls and dialog data exchange: each call is one window message.
#include "afx/wnd.h"

const CRuntimeClass CWnd::classCWnd = {"CWnd", nullptr};

CWnd* CWnd::GetDlgItem(int id)
{
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (!child) return nullptr;
    std::unique_ptr<CWnd>& wrapper = m_items[id];
    if (!wrapper) wrapper.reset(new CWnd);
    wrapper->m_hWnd = child;
    return wrapper.get();
}

BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type)
{
    return ::MessageBoxW(m_hWnd, text, caption ? caption : TEXT("Error"), type);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

// --- list controls -------------------------------------------------------------------

namespace {
const CListControl::Messages kComboBoxMessages = {CB_GETCOUNT,     CB_GETCURSEL,    CB_SETCURSEL, CB_ADDSTRING,
                                                  CB_DELETESTRING, CB_GETLBTEXTLEN, CB_GETLBTEXT};
const CListControl::Messages kListBoxMessages = {LB_GETCOUNT,     LB_GETCURSEL,  LB_SETCURSEL, LB_ADDSTRING,
                                                 LB_DELETESTRING, LB_GETTEXTLEN, LB_GETTEXT};
}  // namespace

CComboBox::CComboBox() : CListControl(kComboBoxMessages) {}
CListBox::CListBox() : CListControl(kListBoxMessages) {}

int CListControl::GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, m_messages.getCount, 0, 0)); }
int CListControl::GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, m_messages.getCurSel, 0, 0)); }
int CListControl::SetCurSel(int index)
{
    return static_cast<int>(::SendMessageW(m_hWnd, m_messages.setCurSel, static_cast<WPARAM>(index), 0));
}
int CListControl::AddString(LPCWSTR item)
{
    return static_cast<int>(::SendMessageW(m_hWnd, m_messages.addString, 0, reinterpret_cast<LPARAM>(item)));
}
int CListControl::DeleteString(UINT index)
{
    return static_cast<int>(::SendMessageW(m_hWnd, m_messages.deleteString, index, 0));
}

void CListControl::ItemText(int index, CString& out) const
{
    LRESULT length = ::SendMessageW(m_hWnd, m_messages.getTextLength, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        out.Empty();
        return;
    }
    WString buffer(static_cast<size_t>(length) + 1, 0);
    LRESULT got =
        ::SendMessageW(m_hWnd, m_messages.getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buffer[0]));
    out = got == LB_ERR ? CString() : CString(buffer.c_str(), static_cast<int>(got));
}

int CListBox::SelectString(int startAfter, LPCWSTR prefix)
{
    return static_cast<int>(
        ::SendMessageW(m_hWnd, LB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(prefix)));
}

// --- data exchange -------------------------------------------------------------------

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    HWND control = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) {
        int length = ::GetWindowTextLengthW(control);
        WString buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, 0);
        int got = ::GetWindowTextW(control, &buffer[0], length + 1);
        value = CString(buffer.c_str(), got > 0 ? got : 0);
    } else {
        ::SetWindowTextW(control, value);
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (!control.m_hWnd) control.m_hWnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
}

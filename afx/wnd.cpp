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

int CComboBox::GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
int CComboBox::GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
int CComboBox::SetCurSel(int index)
{
    return static_cast<int>(::SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}
int CComboBox::AddString(LPCWSTR item)
{
    return static_cast<int>(::SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item)));
}
int CComboBox::DeleteString(UINT index) { return static_cast<int>(::SendMessageW(m_hWnd, CB_DELETESTRING, index, 0)); }

void CComboBox::GetLBText(int index, CString& out) const
{
    LRESULT length = ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        out.Empty();
        return;
    }
    WString buffer(static_cast<size_t>(length) + 1, 0);
    LRESULT got =
        ::SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buffer[0]));
    out = got == CB_ERR ? CString() : CString(buffer.c_str(), static_cast<int>(got));
}

int CListBox::GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0)); }
int CListBox::GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0)); }
int CListBox::SetCurSel(int index)
{
    return static_cast<int>(::SendMessageW(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}
int CListBox::AddString(LPCWSTR item)
{
    return static_cast<int>(::SendMessageW(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item)));
}
int CListBox::DeleteString(UINT index) { return static_cast<int>(::SendMessageW(m_hWnd, LB_DELETESTRING, index, 0)); }

void CListBox::GetText(int index, CString& out) const
{
    LRESULT length = ::SendMessageW(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        out.Empty();
        return;
    }
    WString buffer(static_cast<size_t>(length) + 1, 0);
    LRESULT got = ::SendMessageW(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buffer[0]));
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

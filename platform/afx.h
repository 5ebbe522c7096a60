// The UI framework the wizard is written against: an application object, a
// property sheet in wizard mode with its pages, list controls, a UTF-16 string and
// dialog data exchange. A thin layer over the property-sheet API: a dialog
// procedure turns notifications into calls of overridable members, as WTL does.
// The same code runs over real windows on Windows and over the simulated machine's
// windows on Linux.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <vector>

#include "platform/text.h"
#include "platform/windowing.h"

// --- CString -----------------------------------------------------------------------
class CString {
public:
    CString() = default;
    CString(LPCWSTR s) : m_s(s ? s : TEXT("")) {}  // NOLINT: implicit, as the framework's
    CString(const WString& s) : m_s(s) {}          // NOLINT
    CString(LPCWSTR s, int length) : m_s(s, static_cast<size_t>(length)) {}

    operator LPCWSTR() const { return m_s.c_str(); }  // NOLINT
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const WString& Str() const { return m_s; }

    CString& operator=(LPCWSTR s)
    {
        m_s = s ? s : TEXT("");
        return *this;
    }
    CString& operator+=(LPCWSTR s)
    {
        if (s) m_s += s;
        return *this;
    }
    CString& operator+=(const CString& s)
    {
        m_s += s.m_s;
        return *this;
    }
    CString& operator+=(WCHAR c)
    {
        m_s += c;
        return *this;
    }
    friend CString operator+(const CString& a, LPCWSTR b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(LPCWSTR a, const CString& b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const CString& a, const CString& b)
    {
        CString r(a);
        r += b;
        return r;
    }

    // Exact, case-sensitive comparison.
    int Compare(LPCWSTR s) const { return text::Compare(m_s.c_str(), s); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }

    // %s %d %u %x and zero-padded widths, as text::Format.
    void Format(LPCWSTR format, ...);

private:
    WString m_s;
};

// An ordered list of strings that the caller creates empty and owns; lookups append to it.
typedef std::list<CString> CStringList;

// --- run-time class information -------------------------------------------------------
// Dynamic type identification without dynamic creation: each class that declares it
// knows its name and its base class.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
    bool IsDerivedFrom(const CRuntimeClass* base) const
    {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == base) return true;
        return false;
    }
};
#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)
#define DECLARE_DYNAMIC(theClass)               \
public:                                         \
    static const CRuntimeClass class##theClass; \
    const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                             \
    const CRuntimeClass theClass::class##theClass = {#theClass, RUNTIME_CLASS(baseClass)}; \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); }

// --- windows -------------------------------------------------------------------------
class CDataExchange;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    static const CRuntimeClass classCWnd;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCWnd; }
    BOOL IsKindOf(const CRuntimeClass* c) const { return GetRuntimeClass()->IsDerivedFrom(c) ? TRUE : FALSE; }

    // A wrapper for the child control, or null when the window has no such child.
    CWnd* GetDlgItem(int id);
    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc);
    BOOL KillTimer(UINT_PTR id);
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);

    // Moves data between the members and the controls: FALSE fills the controls.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    HWND m_hWnd = nullptr;

protected:
    // Message routing: a derived window handles what it knows and returns TRUE.
    virtual BOOL ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    std::map<int, std::unique_ptr<CWnd>> m_items;
};

// Message maps in the style of WTL: each entry is tried in order. A handler has
// the form LRESULT OnX(UINT msg, WPARAM, LPARAM, BOOL& handled); it may clear
// `handled` to let the message go on to the default handling.
#define BEGIN_MSG_MAP(theClass)                                                                   \
    BOOL ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override \
    {                                                                                             \
        BOOL bHandled = TRUE;                                                                     \
        (void)bHandled;                                                                           \
        (void)wParam;                                                                             \
        (void)lParam;                                                                             \
        (void)lResult;
#define MESSAGE_HANDLER(msg, func)                      \
    if (uMsg == (msg)) {                                \
        bHandled = TRUE;                                \
        lResult = func(uMsg, wParam, lParam, bHandled); \
        if (bHandled) return TRUE;                      \
    }
#define COMMAND_HANDLER(id, code, func)                                             \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) { \
        func();                                                                     \
        lResult = 0;                                                                \
        return TRUE;                                                                \
    }
#define END_MSG_MAP(baseClass)                                             \
    return baseClass::ProcessWindowMessage(uMsg, wParam, lParam, lResult); \
    }

class CComboBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int AddString(LPCWSTR item);
    int DeleteString(UINT index);
    void GetLBText(int index, CString& out) const;
};

class CListBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int AddString(LPCWSTR item);
    int DeleteString(UINT index);
    void GetText(int index, CString& out) const;
    // Selects the first item, after `startAfter`, that begins with the text
    // (letter case ignored); LB_ERR when there is none.
    int SelectString(int startAfter, LPCWSTR prefix);
};

// --- data exchange -------------------------------------------------------------------
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Binds a control object to the dialog's control with that ID (first exchange only).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// --- property sheets -----------------------------------------------------------------
class CPropertySheet;

class CPropertyPage : public CWnd {
    DECLARE_DYNAMIC(CPropertyPage)

public:
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);
    ~CPropertyPage() override = default;

    // Notifications from the sheet; the results keep the property-sheet meanings:
    // OnSetActive FALSE refuses activation; OnWizardBack/Next give 0 for the
    // neighbouring page, -1 to stay, or a template ID to jump to; OnWizardFinish
    // and OnQueryCancel FALSE keep the sheet open.
    virtual BOOL OnInitDialog();
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    virtual BOOL OnWizardFinish();
    virtual BOOL OnQueryCancel();
    virtual void OnReset();

    CPropertySheet* GetParentSheet() const { return m_pSheet; }
    // Forwarded to the sheet: ends its modal loop with the code and presses Cancel.
    void EndDialog(int result);

    // Used by CPropertySheet to build the page.
    void BuildPage(CPropertySheet* sheet, PROPSHEETPAGEW& page);

protected:
    BOOL ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR* header);

    UINT m_nTemplateId;
    CPropertySheet* m_pSheet = nullptr;
    bool m_bFirstSetActive = true;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)

public:
    CPropertySheet(LPCWSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override = default;

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    void SetWizardMode() { m_bWizard = true; }
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page);
    INT_PTR DoModal();
    // Posts PSM_SETWIZBUTTONS, as the framework does: the change shows once the
    // sheet gets back to its message loop.
    void SetWizardButtons(DWORD flags);
    // Ends the modal loop with the code: posts a press of Cancel, and DoModal returns the code.
    void EndDialog(int result);

    virtual BOOL OnInitDialog();

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lParam);

    CString m_strCaption;
    HWND m_hParent;
    UINT m_nStartPage;
    bool m_bWizard = false;
    int m_nEndResult = 0;
    bool m_bEnded = false;
    std::vector<CPropertyPage*> m_pages;
};

// --- the application ---------------------------------------------------------------
class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Help command: the wizard ships no help file, so there is nothing to open.
    void OnHelp() {}
    void SetRegistryKey(LPCWSTR key) { m_strRegistryKey = key; }

    CString m_strAppName;
    CString m_strRegistryKey;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
void AfxEnableControlContainer();
// The program's start: InitInstance, then ExitInstance when it returns FALSE.
int AfxRunApplication(HINSTANCE instance);

// --- text files ----------------------------------------------------------------------
// A text file read line by line. Each byte of the file is one character (its value
// 0 to 255); a line ends at a line feed, and a carriage return right before it is
// dropped too; a last line without a line end is still a line. Lines may be of any
// length.
class CStdioFile {
public:
    enum OpenFlags : UINT { modeRead = 0x0000, shareDenyNone = 0x0040, typeText = 0x4000 };

    CStdioFile() = default;
    ~CStdioFile();
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    // Opens an existing file for reading; only reading is supported.
    BOOL Open(LPCWSTR path, UINT openFlags);
    // The next line without its line end; FALSE (and an empty line) at the end of the file.
    BOOL ReadString(CString& line);
    void Close();

private:
    bool Fill();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::vector<BYTE> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_eof = false;
};

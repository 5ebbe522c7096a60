// Windows and controls as the pages see them, run-time class information and dialog
// data exchange.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "afx/string.h"
#include "platform/windowing.h"

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

// What a combo box and a list box share: the same calls, each control answering its
// own messages (CB_* and LB_*; CB_ERR and LB_ERR are both -1).
class CListControl : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int AddString(LPCWSTR item);
    int DeleteString(UINT index);

    // The messages one kind of control answers.
    struct Messages {
        UINT getCount, getCurSel, setCurSel, addString, deleteString, getTextLength, getText;
    };

protected:
    explicit CListControl(const Messages& messages) : m_messages(messages) {}
    // The item's text; empty for an index the control does not have.
    void ItemText(int index, CString& out) const;

private:
    const Messages& m_messages;
};

class CComboBox : public CListControl {
public:
    CComboBox();
    void GetLBText(int index, CString& out) const { ItemText(index, out); }
};

class CListBox : public CListControl {
public:
    CListBox();
    void GetText(int index, CString& out) const { ItemText(index, out); }
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

// A property sheet in wizard mode and its pages: a dialog procedure turns the sheet's
// notifications into calls of overridable members, as WTL's CPropertyPageImpl does.
#pragma once

#include <vector>

#include "afx/wnd.h"

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

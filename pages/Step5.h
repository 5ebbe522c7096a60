// The finish page: shows the chosen printer and port and, on Finish, removes the
// older printers of that name, installs, makes the printer the default and
// reports the outcome.
#pragma once

#include <atomic>

#include "afx/afx.h"
#include "res/resource.h"

// Sent (synchronously) by the installation worker: push the page's texts to the controls.
#define WM_REFRESHPAGE (WM_USER + 100)

class CStep5 : public CPropertyPage {
public:
    CStep5();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Runs the base operation only; kept because the page's set of overrides is fixed.
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;
    // Refused while an installation worker holds the page.
    BOOL OnQueryCancel() override;

    void EnableWizardButtons(bool enable);

protected:
    void DoDataExchange(CDataExchange* dx) override;

    BEGIN_MSG_MAP(CStep5)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(WM_REFRESHPAGE, OnRefreshPage)
    END_MSG_MAP(CPropertyPage)

private:
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnRefreshPage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The installation failed before or without its worker: report it through the
    // timer, as a failed installation is reported, or at once when no timer can be set.
    void ReportStartFailure();
    // The outcome the worker stored: its message box, then the buttons back on.
    void ReportResult();

    // Runs just before the removal of the older printers starts: shows that it does.
    static void ShowRemoving(void* page);
    static DWORD WINAPI InstallThreadProc(LPVOID page);

    CString m_strInstruction;
    CString m_strDriver;
    CString m_strPort;
    CString m_strStatusLabel;
    CString m_strStatus;
    // Hand-over from the installation worker: kHandOverNone, kHandOverInstalled or kHandOverFailed.
    // The worker stores it last (release); the timer reads it (acquire).
    static constexpr int kHandOverNone = 0;
    static constexpr int kHandOverInstalled = 1;
    static constexpr int kHandOverFailed = -1;
    std::atomic<int> m_nInstallResult;
    UINT_PTR m_nTimerId;
    // From Finish until the timer has taken the result: the worker may still use the
    // page, so the sheet must not close. Touched on the user-interface thread only.
    bool m_bInstalling;
};

// The welcome page: greets the user and says what Next leads to, by whether a
// USB printer was attached when the wizard opened.
#pragma once

#include "afx/afx.h"
#include "res/resource.h"

class CStep1 : public CPropertyPage {
    DECLARE_DYNAMIC(CStep1)

public:
    CStep1();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Runs the base operation only; kept because the page's set of overrides is fixed.
    LRESULT OnWizardNext() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CString m_strWelcome;
};

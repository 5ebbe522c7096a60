// The wizard sheet: a property sheet in wizard mode without a Help button.
#pragma once

#include "afx/afx.h"

class CWizard : public CPropertySheet {
    DECLARE_DYNAMIC(CWizard)

public:
    CWizard(LPCWSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
    BOOL OnInitDialog() override;
};

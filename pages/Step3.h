// The series and model page: decides which driver is installed. With a USB
// printer attached whose model the catalogue knows, it offers only that printer's
// series and model (detected mode); otherwise every series with the models of the
// selected one (manual mode). Next stores the chosen model's printer name.
#pragma once

#include "afx/afx.h"
#include "res/resource.h"

class CStep3 : public CPropertyPage {
public:
    CStep3();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Runs the base operation only; kept because the page's set of overrides is fixed.
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;
    BOOL OnWizardFinish() override;

    // Deletes the series box's entries, last first; true when it is then empty.
    bool ClearSeriesCombo();
    void RefreshModelList();

protected:
    void DoDataExchange(CDataExchange* dx) override;

    BEGIN_MSG_MAP(CStep3)
    COMMAND_HANDLER(IDC_SERIES_COMBO, CBN_SELCHANGE, OnSelchangeSeries)
    END_MSG_MAP(CPropertyPage)

private:
    void OnSelchangeSeries();
    void ClearModelList();

    CString m_strSeriesLabel;
    CString m_strModelLabel;
    CComboBox m_cboSeries;
    CListBox m_lstModels;
    // Detected mode is allowed until a refresh finds no catalogued printer; armed
    // once, when the page's window is made.
    int m_bAutoDetect;
};

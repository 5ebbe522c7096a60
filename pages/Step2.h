// The port page: takes the USB port of an attached printer whose model the
// catalogue knows, or lets the user choose one of the spooler's ports.
#pragma once

#include "detect/USBPort.h"
#include "afx/afx.h"
#include "res/resource.h"

class CStep2 : public CPropertyPage {
public:
    CStep2();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Runs the base operation only; kept because the page's set of overrides is fixed.
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;

    void FillPortList();

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CString m_strInfo;
    CListBox m_listPorts;
    CUSBPort m_usbPort;
    CString m_strPort;
    int m_bUsbDetected;
};

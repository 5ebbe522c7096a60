#include "pages/Step2.h"

#include "installer/PrinterInstaller.h"

namespace {
const WCHAR kDetectedFormat[] = TEXT("软件自动检测到与打印机的USB连接\n端口：%s\n\n请按“下一步”确认驱动安装信息。\n\n");
const WCHAR kManual[] = TEXT("没有检测到与打印机连接的可用USB口，请手动选择端口，并按“下一步”确认驱动安装信息。");
// Used when the spooler cannot list its ports.
const WCHAR* const kFixedPorts[] = {TEXT("LPT1:"), TEXT("LPT2:"), TEXT("LPT3:"), TEXT("COM1:"), TEXT("COM2:"),
                                    TEXT("COM3:"), TEXT("COM4:"), TEXT("COM5:"), TEXT("USB001")};
}  // namespace

CStep2::CStep2() : CPropertyPage(IDD_STEP2), m_bUsbDetected(0) {}

void CStep2::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_PORT_LIST, m_listPorts);
    DDX_Text(dx, IDC_PORT_INFO, m_strInfo);
}

BOOL CStep2::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    return TRUE;
}

BOOL CStep2::OnSetActive()
{
    GetParentSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);

    CString model;
    g_Installer.DetectUsbModel(model);
    CString series;
    BOOL known = g_Installer.FindSeriesOfModel(series, model);
    // Asked whether or not the model is known; the device is free again at once.
    BOOL found = m_usbPort.GetUsbPortName(m_strPort);
    m_usbPort.CloseDevice();

    if (found && known) {
        m_strInfo.Format(kDetectedFormat, static_cast<LPCWSTR>(m_strPort));
        m_bUsbDetected = 1;
        GetDlgItem(IDC_PORT_LIST)->ShowWindow(SW_HIDE);
    } else {
        m_strInfo = kManual;
        m_bUsbDetected = 0;
        GetDlgItem(IDC_PORT_LIST)->ShowWindow(SW_SHOW);
        FillPortList();
    }
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

void CStep2::FillPortList()
{
    for (int i = m_listPorts.GetCount() - 1; i >= 0; --i) m_listPorts.DeleteString(static_cast<UINT>(i));
    CStringList ports;
    if (g_Installer.GetPortList(ports)) {
        for (const CString& port : ports) m_listPorts.AddString(port);
    } else {
        for (LPCWSTR port : kFixedPorts) m_listPorts.AddString(port);
    }
    if (m_listPorts.SelectString(-1, TEXT("LPT1:")) == LB_ERR) m_listPorts.SetCurSel(0);
    UpdateData(FALSE);
}

LRESULT CStep2::OnWizardBack() { return CPropertyPage::OnWizardBack(); }

LRESULT CStep2::OnWizardNext()
{
    UpdateData(TRUE);
    if (m_bUsbDetected == 1) {
        g_Installer.SetPortName(m_strPort);
    } else {
        int selected = m_listPorts.GetCurSel();
        if (selected != LB_ERR) {
            m_listPorts.GetText(selected, m_strPort);
            g_Installer.SetPortName(m_strPort);
        }
    }
    return 0;
}

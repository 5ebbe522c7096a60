#include "pages/Step5.h"

#include "installer/PrinterInstaller.h"
#include "platform/kernel.h"

namespace {
const WCHAR kDriverPrefix[] = TEXT("驱动：");
const WCHAR kPortPrefix[] = TEXT("端口：");
const WCHAR kInstruction[] = TEXT("单击完成按扭后，本向导会按照前面几个步骤的设置，自动完成打印机驱动的安装。");
const WCHAR kStatusLabel[] = TEXT("状态：");
const WCHAR kRemoving[] = TEXT("正在删除所要替换的驱动...");
const WCHAR kInstalling[] = TEXT("正在安装打印机驱动...");
const WCHAR kInstalled[] = TEXT("打印机驱动已成功安装！");
const WCHAR kFailed[] = TEXT("打印机驱动安装失败！");
const WCHAR kSuccessBox[] = TEXT("打印机驱动安装成功！");

const UINT_PTR kResultTimer = 1;
const UINT kResultPollMs = 200;
// Every name the installer can store fits (its field holds 199 characters).
const int kNameBuffer = CPrinterInstaller::kNameCapacity;
}  // namespace

CStep5::CStep5() : CPropertyPage(IDD_STEP5), m_nInstallResult(kHandOverNone), m_nTimerId(0), m_bInstalling(false) {}

void CStep5::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_DRIVER_TEXT, m_strDriver);
    DDX_Text(dx, IDC_PORT_TEXT, m_strPort);
    DDX_Text(dx, IDC_STATUS_LABEL, m_strStatusLabel);
    DDX_Text(dx, IDC_STATUS_TEXT, m_strStatus);
    DDX_Text(dx, IDC_INSTRUCTION_TEXT, m_strInstruction);
}

BOOL CStep5::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    return TRUE;
}

BOOL CStep5::OnSetActive()
{
    GetParentSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    WCHAR name[kNameBuffer] = {0};
    WCHAR port[kNameBuffer] = {0};
    g_Installer.GetPrinterName(name, kNameBuffer);
    g_Installer.GetPortName(port, kNameBuffer);
    m_strDriver = CString(kDriverPrefix) + name;
    m_strPort = CString(kPortPrefix) + port;
    m_strInstruction = kInstruction;
    m_strStatusLabel = kStatusLabel;
    m_strStatus = TEXT("");
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

LRESULT CStep5::OnWizardBack() { return CPropertyPage::OnWizardBack(); }

void CStep5::EnableWizardButtons(bool enable)
{
    GetParentSheet()->SetWizardButtons(enable ? (PSWIZB_BACK | PSWIZB_FINISH) : PSWIZB_DISABLEDFINISH);
    if (CWnd* cancel = GetParentSheet()->GetDlgItem(IDCANCEL)) cancel->EnableWindow(enable ? TRUE : FALSE);
}

BOOL CStep5::OnWizardFinish()
{
    EnableWizardButtons(false);
    g_Installer.SetSetDefault(1);
    g_Installer.SetPrintTestPage(0);
    m_bInstalling = true;

    // A printer of the chosen name is removed first, with its copies, while this
    // thread waits; the page shows that it does so.
    if (g_Installer.RemoveExistingFamily(&CStep5::ShowRemoving, this) == CPrinterInstaller::kRemovalNotStarted) {
        ReportStartFailure();
        return FALSE;
    }

    // The result timer first: a worker whose result nobody would take leaves the page
    // with every button disabled for good, so without a timer no worker starts.
    m_nTimerId = SetTimer(kResultTimer, kResultPollMs, nullptr);
    HANDLE installer = m_nTimerId ? ::CreateThread(nullptr, 0, &CStep5::InstallThreadProc, this, 0, nullptr) : nullptr;
    if (!installer) {
        ReportStartFailure();
        return FALSE;
    }
    ::CloseHandle(installer);
    return FALSE;
}

void CStep5::ReportStartFailure()
{
    m_strStatus = kFailed;
    SendMessage(WM_REFRESHPAGE, 0, 0);
    m_nInstallResult.store(kHandOverFailed, std::memory_order_release);
    m_nTimerId = SetTimer(kResultTimer, kResultPollMs, nullptr);
    if (!m_nTimerId) ReportResult();  // no timer to report through: at once
}

void CStep5::ShowRemoving(void* page)
{
    CStep5* self = static_cast<CStep5*>(page);
    self->m_strStatus = kRemoving;
    self->SendMessage(WM_REFRESHPAGE, 0, 0);
}

DWORD WINAPI CStep5::InstallThreadProc(LPVOID param)
{
    CStep5* page = static_cast<CStep5*>(param);
    page->m_strStatus = kInstalling;
    page->SendMessage(WM_REFRESHPAGE, 0, 0);
    if (!g_Installer.InstallAndFinish()) {
        page->m_strStatus = kFailed;
        page->SendMessage(WM_REFRESHPAGE, 0, 0);
        page->m_nInstallResult.store(kHandOverFailed, std::memory_order_release);
        return 0;
    }
    page->m_strStatus = kInstalled;
    page->SendMessage(WM_REFRESHPAGE, 0, 0);
    ::Sleep(100);
    // The last touch of the page: after this store the page may go away.
    page->m_nInstallResult.store(kHandOverInstalled, std::memory_order_release);
    return 0;
}

LRESULT CStep5::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (static_cast<UINT_PTR>(wParam) == m_nTimerId &&
        m_nInstallResult.load(std::memory_order_acquire) != kHandOverNone)
        ReportResult();
    handled = FALSE;  // the timer message goes on to the default handling
    return 0;
}

void CStep5::ReportResult()
{
    int result = m_nInstallResult.load(std::memory_order_acquire);
    if (m_nTimerId) KillTimer(m_nTimerId);
    m_bInstalling = false;
    if (result == kHandOverFailed) {
        MessageBox(kFailed, TEXT("ERROR"), MB_OK | MB_ICONERROR);
    } else if (result == 1) {
        MessageBox(kSuccessBox, TEXT("OK"), MB_OK | MB_ICONINFORMATION);
        EndDialog(IDCANCEL);
    }
    m_nInstallResult.store(kHandOverNone, std::memory_order_relaxed);
    EnableWizardButtons(true);
}

LRESULT CStep5::OnRefreshPage(UINT, WPARAM, LPARAM, BOOL&)
{
    UpdateData(FALSE);
    return 1;
}

BOOL CStep5::OnQueryCancel() { return m_bInstalling ? FALSE : TRUE; }

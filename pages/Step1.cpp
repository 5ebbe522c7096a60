#include "pages/Step1.h"

#include "detect/USBPort.h"

namespace {
const WCHAR kWelcomeWithPrinter[] = TEXT(
    "欢迎使用Korvel打印机驱动安装向导。\n\n若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中"
    "断它。"
    "\n\n点击“下一步”按钮继续安装。");
const WCHAR kWelcomeWithoutPrinter[] = TEXT(
    "欢迎使用Korvel打印机驱动安装向导。\n\n若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中"
    "断它。"
    "\n\n点击“下一步”按钮选择打印机系列。");
}  // namespace

IMPLEMENT_DYNAMIC(CStep1, CPropertyPage)

CStep1::CStep1() : CPropertyPage(IDD_STEP1) {}

void CStep1::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_WELCOME_TEXT, m_strWelcome);
}

BOOL CStep1::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // The text is chosen once, when the wizard opens; the series page detects again.
    CUSBPort detector;
    CString vid, pid;
    if (detector.FindUsbPrinter(vid, pid)) {
        m_strWelcome = kWelcomeWithPrinter;
        detector.CloseDevice();
    } else {
        m_strWelcome = kWelcomeWithoutPrinter;
    }
    UpdateData(FALSE);
    return TRUE;
}

BOOL CStep1::OnSetActive()
{
    GetParentSheet()->SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CStep1::OnWizardNext() { return CPropertyPage::OnWizardNext(); }

#include "app/Wizard.h"

IMPLEMENT_DYNAMIC(CWizard, CPropertySheet)

CWizard::CWizard(LPCWSTR caption, CWnd* parent, UINT selectPage) : CPropertySheet(caption, parent, selectPage) {}

BOOL CWizard::OnInitDialog()
{
    BOOL result = CPropertySheet::OnInitDialog();
    if (CWnd* help = GetDlgItem(IDHELP)) help->ShowWindow(SW_HIDE);
    return result;
}

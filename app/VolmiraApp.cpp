#include "app/VolmiraApp.h"

#include "app/Sibling.h"
#include "app/Wizard.h"
#include "installer/PrinterInstaller.h"
#include "pages/Step1.h"
#include "pages/Step2.h"
#include "pages/Step3.h"
#include "pages/Step5.h"
#include "platform/kernel.h"
#include "platform/windowing.h"

// Both globals live in this file so that their order is fixed: the installer is
// built first (it finds the setup medium from the program's path), then the
// application object; static destruction runs the other way round.
CPrinterInstaller g_Installer;
CVolmiraApp theApp;

CVolmiraApp::CVolmiraApp() : CWinApp(nullptr) {}

BOOL CVolmiraApp::InitInstance()
{
    // On 64-bit Windows the x86-64 program beside this one does the work, and this
    // one ends with it. When the sibling does not start, this program goes on as on
    // 32-bit Windows (an unattended run would note the failure here).
    m_nExitCode = 0;
    SiblingRun sibling = RunSiblingUnderWow64(g_Installer.SetupDir(), ::GetCommandLineW());
    if (sibling.outcome == SiblingRun::kEnded) {
        m_nExitCode = static_cast<int>(sibling.exitCode);
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(TEXT("Local AppWizard-Generated Applications"));

    CWizard wizard(TEXT("Korvel Printer Driver Setup"), nullptr, 0);
    CStep1 step1;
    CStep2 step2;
    CStep3 step3;
    CStep5 step5;
    // Sheet order: welcome, series and model, port, finish.
    wizard.AddPage(&step1);
    wizard.AddPage(&step3);
    wizard.AddPage(&step2);
    wizard.AddPage(&step5);
    wizard.SetWizardMode();
    wizard.SetActivePage(&step1);
    wizard.DoModal();
    // The pages go in reverse order of construction, then the sheet.
    return FALSE;
}

int CVolmiraApp::ExitInstance() { return m_nExitCode; }

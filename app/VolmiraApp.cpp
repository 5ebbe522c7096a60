#include "app/VolmiraApp.h"

#include <vector>

#include "app/CommandLine.h"
#include "app/LogFile.h"
#include "app/ProgramArguments.h"
#include "app/Sibling.h"
#include "app/Unattended.h"
#include "app/Wizard.h"
#include "installer/PrinterInstaller.h"
#include "pages/Step1.h"
#include "pages/Step2.h"
#include "pages/Step3.h"
#include "pages/Step5.h"
#include "platform/kernel.h"
#include "platform/shell.h"
#include "platform/windowing.h"

// Both globals live in this file so that their order is fixed: the installer is
// built first (it finds the setup medium from the program's path), then the
// application object; static destruction runs the other way round.
CPrinterInstaller g_Installer;
CVolmiraApp theApp;

namespace {

const WCHAR kTitle[] = TEXT("Korvel Printer Driver Setup");

}  // namespace

CVolmiraApp::CVolmiraApp() : CWinApp(nullptr) {}

BOOL CVolmiraApp::InitInstance()
{
    // On 64-bit Windows the x86-64 program beside this one does the work, and this
    // one ends with it. When the sibling does not start, this program goes on as on
    // 32-bit Windows, and an unattended run notes the failure in its log.
    m_nExitCode = 0;
    LPCWSTR argumentText = program_arguments::OfThisProcess();
    SiblingRun sibling = RunSiblingUnderWow64(g_Installer.SetupDir(), argumentText);
    if (sibling.outcome == SiblingRun::kEnded) {
        m_nExitCode = static_cast<int>(sibling.exitCode);
        return FALSE;
    }

    std::vector<WString> arguments;
    if (!program_arguments::Split(argumentText, arguments)) {
        // Whether it was to run quietly is unknown: no box, a bad command line.
        m_nExitCode = unattended::kBadCommandLine;
    } else if (arguments.empty()) {
        RunWizard();  // the plain start: the wizard alone, as it always was
    } else {
        m_nExitCode = RunWithArguments(cmdline::Parse(arguments), sibling);
    }
    return FALSE;
}

void CVolmiraApp::RunWizard()
{
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(TEXT("Local AppWizard-Generated Applications"));

    CWizard wizard(kTitle, nullptr, 0);
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
}

int CVolmiraApp::RunWithArguments(const cmdline::Options& options, const SiblingRun& sibling)
{
    // The log first, so that it holds everything that follows.
    CLogFile log;
    if (!options.logFile.empty()) {
        DWORD error = 0;
        if (log.Open(options.logFile.c_str(), &error)) {
            g_Installer.SetStepLog(&log);
        } else {
            WString message =
                text::Format(TEXT("The log %s cannot be written (error %u); the setup goes on without it."),
                             options.logFile.c_str(), static_cast<unsigned>(error));
            if (options.quiet)
                WriteStandardText(STD_ERROR_HANDLE, (TEXT("KorvelSetup: ") + message + TEXT("\n")).c_str());
            else
                ::MessageBoxW(nullptr, message.c_str(), kTitle, MB_OK | MB_ICONWARNING);
        }
    }
    g_Installer.LogStep(TEXT("command line: %s"), ::GetCommandLineW());
    g_Installer.LogStep(TEXT("setup folder: %s"), g_Installer.SetupDir());
    if (sibling.outcome == SiblingRun::kStartFailed)
        g_Installer.LogStep(TEXT("the sibling %s could not be started (error %u): this program goes on itself"),
                            KORVEL_SIBLING_EXE, static_cast<unsigned>(sibling.error));
    if (sibling.outcome == SiblingRun::kNotOurs)
        g_Installer.LogStep(TEXT("the sibling %s is not the program built with this one (its SHA-256 differs): this "
                                 "program goes on itself"),
                            KORVEL_SIBLING_EXE);

    int exitCode = 0;
    const WCHAR* outcome = TEXT("");
    if (!options.error.empty()) {
        exitCode = unattended::kBadCommandLine;
        outcome = unattended::Outcome(exitCode);
        g_Installer.LogStep(TEXT("bad command line: %s"), options.error.c_str());
        WString message = options.error + TEXT("\n\n") + cmdline::kUsage;
        if (options.quiet)
            WriteStandardText(STD_ERROR_HANDLE, (TEXT("KorvelSetup: ") + message).c_str());
        else
            ::MessageBoxW(nullptr, message.c_str(), TEXT("ERROR"), MB_OK | MB_ICONERROR);
    } else if (options.usage) {
        outcome = TEXT("usage shown");
        if (options.quiet)
            WriteStandardText(STD_OUTPUT_HANDLE, cmdline::kUsage);
        else
            ::MessageBoxW(nullptr, cmdline::kUsage, kTitle, MB_OK | MB_ICONINFORMATION);
    } else if (options.list) {
        exitCode = unattended::ListCatalogue(g_Installer);
        outcome = exitCode == 0 ? TEXT("catalogue listed") : TEXT("no catalogue to list");
    } else if (options.quiet) {
        exitCode = unattended::Install(g_Installer, options);
        outcome = unattended::Outcome(exitCode);
    } else {
        RunWizard();
        outcome = TEXT("the wizard closed");
    }
    g_Installer.LogStep(TEXT("%s; exit code %d"), outcome, exitCode);
    g_Installer.SetStepLog(nullptr);
    return exitCode;
}

int CVolmiraApp::ExitInstance() { return m_nExitCode; }

#include "app/VolmiraApp.h"

#include <vector>

#include "app/CommandLine.h"
#include "app/LogFile.h"
#include "app/ProgramArguments.h"
#include "app/Sibling.h"
#include "app/Unattended.h"
#include "app/Version.h"
#include "app/Wizard.h"
#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "pages/Step1.h"
#include "pages/Step2.h"
#include "pages/Step3.h"
#include "pages/Step5.h"
#include "platform/kernel.h"
#include "platform/library_error.h"
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

namespace {

// The log of a quiet run, for its last line when the program must end on a library
// error (memory exhausted): that run ends with the exit code of a failed installation.
CLogFile* g_quietLog = nullptr;

int EndQuietRunOnLibraryError()
{
    if (g_quietLog)
        g_quietLog->LastWords("the program ran out of memory (or met a limit of its library) and ends; exit code 1603");
    return unattended::kFailed;
}

// Whether this program runs as a 32-bit process on 64-bit Windows.
bool UnderWow64()
{
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

int CVolmiraApp::RunWithArguments(const cmdline::Options& options, const SiblingRun& sibling)
{
    // Nobody is there to answer the system's own boxes ("insert a disk", a crash) in a
    // quiet run: they fail the call instead, or end the program.
    if (options.quiet) ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

    // The log first, so that it holds everything that follows: the file of /log, or in a
    // quiet run KorvelSetup.log in the temporary folder.
    CLogFile log;
    WString logPath = !options.logFile.empty() ? options.logFile : options.quiet ? CLogFile::DefaultPath() : WString();
    if (!logPath.empty() || options.quiet) {
        WString why = TEXT("the temporary folder cannot be found");
        if (!logPath.empty() && log.Open(logPath.c_str(), &why)) {
            g_Installer.SetStepLog(&log);
        } else {
            WString message =
                text::Format(TEXT("The log %s cannot be written: %s; the setup goes on without it."),
                             logPath.empty() ? TEXT("%TEMP%\\KorvelSetup.log") : logPath.c_str(), why.c_str());
            if (options.quiet)
                WriteStandardText(STD_ERROR_HANDLE, (TEXT("KorvelSetup: ") + message + TEXT("\n")).c_str());
            else
                ::MessageBoxW(nullptr, message.c_str(), kTitle, MB_OK | MB_ICONWARNING);
        }
    }
    if (options.quiet) {
        g_quietLog = &log;
        library_error::SetHandler(&EndQuietRunOnLibraryError);
    }
    g_Installer.LogStep(TEXT("KorvelSetup %s (%s)"), KORVEL_VERSION_W, BuildArchitecture());
    g_Installer.LogStep(TEXT("command line: %s"), ::GetCommandLineW());
    g_Installer.LogStep(TEXT("setup folder: %s"), g_Installer.SetupDir());
    if (sibling.outcome == SiblingRun::kStartFailed)
        g_Installer.LogStep(TEXT("the sibling %s could not be started: %s; this program goes on itself"),
                            KORVEL_SIBLING_EXE, error_text::Describe(sibling.error).c_str());
    else if (sibling.outcome == SiblingRun::kNotNeeded && UnderWow64())
        g_Installer.LogStep(TEXT("this 32-bit program runs on 64-bit Windows without its sibling %s beside it: "
                                 "it goes on itself, and cannot install a USB printer's driver"),
                            KORVEL_SIBLING_EXE);
    else if (sibling.outcome == SiblingRun::kNotOurs)
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
    } else if (options.uninstall) {
        exitCode = unattended::Uninstall(g_Installer, options);
        outcome = unattended::Outcome(exitCode, true);
    } else if (options.quiet) {
        exitCode = unattended::Install(g_Installer, options);
        outcome = unattended::Outcome(exitCode);
    } else {
        RunWizard();
        outcome = TEXT("the wizard closed");
    }
    // The exit code is always the log's last line.
    g_Installer.LogStep(TEXT("%s; exit code %d"), outcome, exitCode);
    g_Installer.SetStepLog(nullptr);
    library_error::SetHandler(nullptr);
    g_quietLog = nullptr;
    return exitCode;
}

int CVolmiraApp::ExitInstance() { return m_nExitCode; }

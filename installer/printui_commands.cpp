// The printer-UI commands: installing the driver and creating the printer, making
// it the default printer and printing a test page, each run by rundll32.
#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "installer/launcher_messages.h"
#include "installer/printui_command_lines.h"
#include "platform/kernel.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/windowing.h"

namespace {

constexpr DWORD kRundll32WaitMs = 120000;
// The spooler may take a moment after rundll32 has ended before the new printer shows.
constexpr DWORD kSettleMs = 500;

// rundll32 by its full path in the system folder: by its bare name Windows would look
// in the program's own folder first, where a file of that name may wait. A 32-bit
// program on 64-bit Windows is given the redirected system folder, the same program
// the bare name found there. `folder` receives the system folder: rundll32 runs there,
// since the library it loads by name is looked for in its current folder too, which
// would otherwise be this program's (the setup medium).
bool Rundll32Path(WCHAR* path, WCHAR* folder, UINT capacity)
{
    UINT length = ::GetSystemDirectoryW(folder, capacity);
    if (length == 0) return false;
    if (length >= capacity || text::Copy(path, capacity, folder) != text::kOk ||
        text::Append(path, capacity, TEXT("\\rundll32.exe")) != text::kOk) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return true;
}

using ComposePrinterCommand = bool (*)(WCHAR* out, size_t capacity, const WCHAR* printer);

// A command on the printer alone (set default, test page): nothing to do while its
// flag is off; a name, when given, replaces the stored one first.
int RunPrinterCommand(CPrinterInstaller& installer, int wanted, LPCWSTR name, ComposePrinterCommand compose)
{
    if (!wanted) return CPrinterInstaller::kResultOk;
    if (name && installer.SetPrinterName(name) != text::kOk) return CPrinterInstaller::kResultFailed;
    WCHAR command[printui::kCommandCapacity];
    if (!compose(command, printui::kCommandCapacity, installer.PrinterName())) {
        installer.LogStep(TEXT("no command for printer \"%s\": the name holds a quotation mark or is too long"),
                          installer.PrinterName());
        return CPrinterInstaller::kResultFailed;
    }
    return installer.RunRundll32(command) ? CPrinterInstaller::kResultOk : CPrinterInstaller::kResultFailed;
}

}  // namespace

int CPrinterInstaller::RunRundll32(LPCWSTR parameters)
{
    WCHAR program[MAX_PATH], folder[MAX_PATH];
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(SHELLEXECUTEINFOW);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = nullptr;
    info.lpVerb = TEXT("open");
    info.lpFile = program;
    info.lpParameters = parameters;
    info.lpDirectory = folder;
    info.nShow = SW_SHOWNORMAL;
    LogStep(TEXT("starting rundll32 %s"), parameters);
    m_bLastRundll32Succeeded = 0;
    if (Rundll32Path(program, folder, MAX_PATH) && ::ShellExecuteExW(&info)) {
        // Whether rundll32 ended, outlived the wait or the wait failed decides nothing;
        // the log notes it.
        if (info.hProcess) {
            DWORD waited = ::WaitForSingleObject(info.hProcess, kRundll32WaitMs);
            DWORD exitCode = 0;
            if (waited == WAIT_OBJECT_0 && ::GetExitCodeProcess(info.hProcess, &exitCode)) {
                LogStep(TEXT("rundll32 ended with exit code %u"), static_cast<unsigned>(exitCode));
                m_bLastRundll32Succeeded = exitCode == 0 ? kResultOk : kResultFailed;
            } else if (waited == WAIT_TIMEOUT)
                LogStep(TEXT("rundll32 still runs after %u s: no longer waited for"),
                        static_cast<unsigned>(kRundll32WaitMs / 1000));
            ::CloseHandle(info.hProcess);
        }
        return kResultOk;
    }
    DWORD error = ::GetLastError();
    LogStep(TEXT("rundll32 could not be started: %s, %s"), error_text::Describe(error).c_str(),
            launcher::ErrorMessage(error));
    // Unattended, nobody would answer the box: the log has said it.
    if (!m_bQuiet) ::MessageBoxW(nullptr, launcher::ErrorMessage(error), TEXT("ERROR"), MB_OK | MB_ICONERROR);
    return kResultFailed;
}

int CPrinterInstaller::InstallPrinter(LPCWSTR name, LPCWSTR port)
{
    // A name or port that does not fit its field fails the installation rather
    // than leaving the field empty for the command.
    if (name && SetPrinterName(name) != text::kOk) return kResultFailed;
    if (port && SetPortName(port) != text::kOk) return kResultFailed;
    BuildDriverInfPath();
    WCHAR command[printui::kCommandCapacity];
    if (!printui::ComposeInstallCommand(command, printui::kCommandCapacity, m_szPrinterName, m_szDriverInf,
                                        m_szPortName, m_bQuiet != 0)) {
        LogStep(TEXT("no installation command: a name or path holds a quotation mark or is too long"));
        return kResultFailed;
    }
    if (!RunRundll32(command)) return kResultFailed;
    ::Sleep(kSettleMs);
    // Success only when the printer is there as asked: an older printer of the name
    // that survived its removal makes the entry create "NAME (Copy 1)" instead, on
    // which the name alone would report the old printer as the new one.
    WString why;
    switch (CheckPlacement(m_szPrinterName, m_szPortName, &why)) {
    case kInPlace:
        LogStep(TEXT("printer \"%s\" is installed on port %s"), m_szPrinterName, m_szPortName);
        return kResultOk;
    case kAbsent:
        LogStep(TEXT("no printer \"%s\" after the installation command"), m_szPrinterName);
        return kResultFailed;
    case kNotAsAsked: break;
    }
    LogStep(TEXT("printer \"%s\" is not installed as asked after the installation command: %s"), m_szPrinterName,
            why.c_str());
    return kResultFailed;
}

int CPrinterInstaller::SetDefaultPrinter(LPCWSTR name)
{
    return RunPrinterCommand(*this, m_bSetDefault, name, &printui::ComposeSetDefaultCommand);
}

int CPrinterInstaller::PrintTestPage(LPCWSTR name)
{
    return RunPrinterCommand(*this, m_bPrintTestPage, name, &printui::ComposeTestPageCommand);
}

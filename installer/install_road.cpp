// The road of one installation, the same for the finish page and the unattended
// installation: when a printer of the chosen name is installed, it and its copies go
// first, with their drivers, and the devices are re-scanned; then the printer is
// installed, made the default printer and asked for a test page as the flags say.
#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "platform/kernel.h"
#include "platform/spooler.h"

namespace {

struct Removal {
    CPrinterInstaller* installer;
    HANDLE done;  // signalled when the worker has finished, on every path
};

DWORD WINAPI RemoveFamilyThreadProc(LPVOID parameter)
{
    Removal* removal = static_cast<Removal*>(parameter);
    CPrinterInstaller& installer = *removal->installer;
    WCHAR name[CPrinterInstaller::kNameCapacity] = {0};
    installer.GetPrinterName(name, CPrinterInstaller::kNameCapacity);
    CStringList printers;
    int found = installer.FindInstalledPrinters(name, printers);
    if (found < 0) installer.LogStep(TEXT("the local printers could not be listed: nothing removed"));
    if (found != 0) {
        for (const CString& printer : printers) installer.LogStep(TEXT("found printer \"%s\""), printer.Str().c_str());
        for (const CString& printer : printers) installer.DeletePrinterAndDriver(printer);
    }
    ::SetEvent(removal->done);
    return 0;
}

}  // namespace

CPrinterInstaller::RemovalOutcome CPrinterInstaller::RemoveExistingFamily(void (*beforeRemoval)(void*), void* context)
{
    WCHAR name[kNameCapacity] = {0};
    GetPrinterName(name, kNameCapacity);
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(name, &printer, nullptr)) {
        LogStep(TEXT("no printer \"%s\" is installed: nothing to remove"), name);
        return kNothingToRemove;
    }
    // The printer stays open, by this thread, until the worker has removed its family.
    LogStep(TEXT("printer \"%s\" is installed: removing it and its copies with their drivers"), name);
    Removal removal = {this, ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE worker = nullptr;
    if (removal.done) {
        if (beforeRemoval) beforeRemoval(context);
        worker = ::CreateThread(nullptr, 0, &RemoveFamilyThreadProc, &removal, 0, nullptr);
    }
    if (!worker) {
        // No worker will ever signal: nothing is removed and nothing waits.
        DWORD error = ::GetLastError();
        if (removal.done) ::CloseHandle(removal.done);
        ::ClosePrinter(printer);
        LogStep(TEXT("the removal could not be started: %s"), error_text::Describe(error).c_str());
        return kRemovalNotStarted;
    }
    ::CloseHandle(worker);
    ::WaitForSingleObject(removal.done, INFINITE);
    ::CloseHandle(removal.done);
    if (::ClosePrinter(printer))
        ReenumerateDevices();
    else
        LogStep(TEXT("printer \"%s\" could not be closed: no re-scan of the devices"), name);
    return kRemoved;
}

int CPrinterInstaller::InstallAndFinish()
{
    if (!Install()) return 0;
    if (GetSetDefault()) SetDefaultPrinter();
    if (GetPrintTestPage()) PrintTestPage();
    return 1;
}

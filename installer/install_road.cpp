// The road of one installation, the same for the finish page and the unattended
// installation: when a printer of the chosen name is installed, it and its copies go
// first, with their drivers, and the devices are re-scanned; then the printer is
// installed, made the default printer and asked for a test page as the flags say.
#include <atomic>
#include <new>

#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "platform/kernel.h"
#include "platform/spooler.h"

namespace {

// What the waiting thread and the removal worker share. Each holds a reference and the
// last to let go closes the event and frees it, so that neither ever touches it after
// the other has freed it: not even when the wait fails and the waiting thread goes on
// watching the worker's flag instead.
struct Removal {
    CPrinterInstaller* installer;
    HANDLE done;  // signalled when the worker has finished, on every path
    std::atomic<bool> finished{false};
    std::atomic<int> references{2};
};

// How often the waiting thread looks at the worker's flag when it cannot wait on the event.
constexpr DWORD kFinishedPollMs = 20;

void Release(Removal* removal)
{
    if (removal->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    ::CloseHandle(removal->done);
    delete removal;
}

DWORD WINAPI DeletePrintersThreadProc(LPVOID parameter)
{
    Removal* removal = static_cast<Removal*>(parameter);
    CPrinterInstaller& installer = *removal->installer;
    WCHAR name[CPrinterInstaller::kNameCapacity] = {0};
    installer.GetPrinterName(name, CPrinterInstaller::kNameCapacity);
    CStringList printers;
    int found = installer.FindInstalledPrinters(name, printers);
    if (found == CPrinterInstaller::kEnumerationFailed)
        installer.LogStep(TEXT("the local printers could not be listed: nothing removed"));
    if (found != 0) {
        for (const CString& printer : printers) installer.LogStep(TEXT("found printer \"%s\""), printer.Str().c_str());
        for (const CString& printer : printers) installer.DeletePrinterAndDriver(printer);
    }
    ::SetEvent(removal->done);
    removal->finished.store(true, std::memory_order_release);
    Release(removal);
    return 0;
}

// Blocks until the worker has finished: on its event, or, should the wait itself fail,
// on its flag.
void WaitForRemoval(Removal* removal)
{
    if (::WaitForSingleObject(removal->done, INFINITE) != WAIT_OBJECT_0)
        while (!removal->finished.load(std::memory_order_acquire)) ::Sleep(kFinishedPollMs);
    Release(removal);
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
    Removal* removal = new (std::nothrow) Removal;
    HANDLE worker = nullptr;
    if (removal) {
        removal->installer = this;
        removal->done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (removal->done) {
            if (beforeRemoval) beforeRemoval(context);
            worker = ::CreateThread(nullptr, 0, &DeletePrintersThreadProc, removal, 0, nullptr);
        }
    }
    if (!worker) {
        // No worker will ever signal: nothing is removed and nothing waits.
        DWORD error = removal ? ::GetLastError() : static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY);
        if (removal && removal->done) ::CloseHandle(removal->done);
        delete removal;
        ::ClosePrinter(printer);
        LogStep(TEXT("the removal could not be started: %s"), error_text::Describe(error).c_str());
        return kRemovalNotStarted;
    }
    ::CloseHandle(worker);
    WaitForRemoval(removal);
    if (::ClosePrinter(printer))
        ReenumerateDevices();
    else
        LogStep(TEXT("printer \"%s\" could not be closed: no re-scan of the devices"), name);
    return kRemoved;
}

int CPrinterInstaller::InstallAndFinish()
{
    if (!Install()) return kResultFailed;
    if (GetSetDefault()) SetDefaultPrinter();
    if (GetPrintTestPage()) PrintTestPage();
    return kResultOk;
}

// Printers already installed: finding a name's family among the local printers,
// removing a printer with its driver, purging a queue, the existence test after an
// installation, and the re-enumeration of the device tree after a removal.
#include <memory>
#include <new>
#include <vector>

#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "installer/printer_family.h"
#include "platform/devinst.h"
#include "platform/kernel.h"
#include "platform/spooler.h"
#include "platform/two_call.h"

namespace {

// The names of the local printers in the order the spooler gives them, by the
// two-call sizing of EnumPrintersW. A second call that fails, also for lack of
// room because printers were added in between, fails the enumeration.
bool EnumerateLocalPrinters(std::vector<CString>& names)
{
    DWORD returned = 0;
    auto enumerate = [&returned](BYTE* buffer, DWORD size, DWORD* needed) {
        return ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, &returned);
    };
    two_call::Buffer buffer;
    if (buffer.Fetch(enumerate) != two_call::kFetched) return false;
    if (!buffer.Data()) return true;  // nothing to walk
    const PRINTER_INFO_2W* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.Data());
    for (DWORD i = 0; i < returned; ++i) names.emplace_back(records[i].pPrinterName);
    return true;
}

}  // namespace

int CPrinterInstaller::FindInstalledPrinters(LPCWSTR name, CStringList& list)
{
    // An empty name has no family: the copy-name test alone would take every
    // printer whose second character is an opening parenthesis.
    if (!name || !name[0]) return 0;
    std::vector<CString> printers;
    if (!EnumerateLocalPrinters(printers)) return kEnumerationFailed;
    int count = 0;
    for (const CString& printer : printers) {
        if (printer_family::IsSameName(printer, name)) {
            list.push_back(printer);
            ++count;
        }
        if (printer_family::IsCopyName(printer, name)) {
            list.push_back(printer);
            ++count;
        }
    }
    return count;
}

int CPrinterInstaller::DeletePrinterAndDriver(LPCWSTR name)
{
    // An empty name would open the print server itself rather than a printer.
    if (!name || !name[0]) return kResultFailed;
    size_t length = text::Length(name);
    std::unique_ptr<WCHAR[]> own(new (std::nothrow) WCHAR[length + 1]);
    if (!own) return kResultFailed;
    text::Copy(own.get(), length + 1, name);

    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    ::OpenPrinterW(own.get(), &printer, &defaults);
    if (printer) {
        // The queue is emptied first: a printer with jobs left is only marked for deletion.
        PurgePrinter(printer);
        BOOL deleted = ::DeletePrinter(printer);
        DWORD error = deleted ? 0 : ::GetLastError();
        ::ClosePrinter(printer);
        if (deleted)
            LogStep(TEXT("removed printer \"%s\""), own.get());
        else
            LogStep(TEXT("printer \"%s\" not removed: %s"), own.get(), error_text::Describe(error).c_str());
    } else {
        LogStep(TEXT("printer \"%s\" could not be opened (%s): not removed"), own.get(),
                error_text::Describe(::GetLastError()).c_str());
    }
    if (::DeletePrinterDriverExW(nullptr, nullptr, own.get(), DPD_DELETE_UNUSED_FILES, 3)) {
        LogStep(TEXT("deleted driver \"%s\""), own.get());
        return kResultOk;
    }
    LogStep(TEXT("driver \"%s\" not deleted: %s"), own.get(), error_text::Describe(::GetLastError()).c_str());
    return kResultFailed;
}

int CPrinterInstaller::PurgePrinter(HANDLE printer)
{
    // The command needs only the handle: with level 0 and any command but
    // PRINTER_CONTROL_SET_STATUS, SetPrinterW requires the record to be NULL.
    return ::SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_PURGE) ? kResultOk : kResultFailed;
}

int CPrinterInstaller::PrinterExists(LPCWSTR name)
{
    if (!name || !name[0]) return kResultFailed;
    std::vector<CString> printers;
    if (!EnumerateLocalPrinters(printers)) return kResultFailed;
    for (const CString& printer : printers)
        if (printer_family::IsSameName(printer, name)) return kResultOk;
    return kResultFailed;
}

int CPrinterInstaller::ReenumerateDevices()
{
    DEVINST root = 0;
    CONFIGRET result = ::CM_Locate_DevNodeW(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL);
    if (result != CR_SUCCESS) {
        PrintToStdout("CM_Locate_DevNode failed: %x\n", static_cast<unsigned>(result));
        LogStep(TEXT("devices not re-scanned: CM_Locate_DevNode failed: %x"), static_cast<unsigned>(result));
        return kResultFailed;
    }
    result = ::CM_Reenumerate_DevNode(root, CM_REENUMERATE_NORMAL);
    if (result != CR_SUCCESS) {
        PrintToStdout("CM_Reenumerate_DevNode failed: %x\n", static_cast<unsigned>(result));
        LogStep(TEXT("devices not re-scanned: CM_Reenumerate_DevNode failed: %x"), static_cast<unsigned>(result));
        return kResultFailed;
    }
    LogStep(TEXT("devices re-scanned"));
    return kResultOk;
}

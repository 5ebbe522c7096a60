// What a run nobody watches checks on the spooler and the medium: the printer family
// with its drivers, ports and queued jobs, whether a printer stands as asked, whether
// the driver INF lists the printer, the driver's removal and the default printer.
#include <memory>
#include <new>

#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "installer/printer_family.h"
#include "platform/inf_model_line.h"
#include "platform/kernel.h"
#include "platform/spooler.h"
#include "platform/two_call.h"

namespace {

bool SameText(const WCHAR* a, const WCHAR* b)
{
    return a && b && text::EqualIgnoringCase(a, text::Length(a), b, text::Length(b));
}

}  // namespace

int CPrinterInstaller::ListFamily(LPCWSTR name, std::vector<InstalledPrinter>& family)
{
    if (!name || !name[0]) return 0;
    DWORD returned = 0;
    auto enumerate = [&returned](BYTE* buffer, DWORD size, DWORD* needed) {
        return ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, &returned);
    };
    two_call::Buffer buffer;
    if (buffer.Fetch(enumerate) != two_call::kFetched) return kEnumerationFailed;
    const PRINTER_INFO_2W* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.Data());
    int count = 0;
    for (DWORD i = 0; records && i < returned; ++i) {
        const PRINTER_INFO_2W& r = records[i];
        if (!printer_family::IsSameName(r.pPrinterName, name) && !printer_family::IsCopyName(r.pPrinterName, name))
            continue;
        InstalledPrinter p;
        p.name = r.pPrinterName;
        p.driver = r.pDriverName ? r.pDriverName : TEXT("");
        p.port = r.pPortName ? r.pPortName : TEXT("");
        p.jobs = r.cJobs;
        family.push_back(p);
        ++count;
    }
    return count;
}

CPrinterInstaller::Placement CPrinterInstaller::CheckPlacement(LPCWSTR name, LPCWSTR port, WString* why)
{
    WString reason;
    Placement placement = kNotAsAsked;
    std::vector<InstalledPrinter> family;
    int found = ListFamily(name, family);
    const InstalledPrinter* itself = nullptr;
    const InstalledPrinter* copy = nullptr;
    for (const InstalledPrinter& p : family) (printer_family::IsSameName(p.name, name) ? itself : copy) = &p;
    if (found < 0) {
        reason = TEXT("the local printers cannot be listed: ") + error_text::Describe(::GetLastError());
    } else if (found == 0) {
        placement = kAbsent;
        reason = TEXT("no printer of that name is installed");
    } else if (copy) {
        reason = text::Format(TEXT("printer \"%s\" stands beside it"), copy->name.Str().c_str());
    } else if (!itself) {
        reason = TEXT("no printer of that name is installed");
    } else {
        // The printer's own record, as the spooler keeps it now.
        HANDLE printer = nullptr;
        WString own(name);
        two_call::Buffer buffer;
        if (!::OpenPrinterW(&own[0], &printer, nullptr)) {
            reason = TEXT("it cannot be opened: ") + error_text::Describe(::GetLastError());
        } else {
            auto query = [printer](BYTE* data, DWORD size, DWORD* needed) {
                return ::GetPrinterW(printer, 2, data, size, needed);
            };
            if (buffer.Fetch(query, {false, true, 0}) != two_call::kFetched) {
                reason = TEXT("it cannot be read: ") + error_text::Describe(::GetLastError());
            } else {
                const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.Data());
                if (!SameText(info->pPortName, port))
                    reason = text::Format(TEXT("it is on port %s, not on %s"), info->pPortName, port);
                else if (!SameText(info->pDriverName, name))
                    reason = text::Format(TEXT("it has the driver \"%s\", not \"%s\""), info->pDriverName, name);
                else
                    placement = kInPlace;
            }
            ::ClosePrinter(printer);
        }
    }
    if (why) *why = reason;
    return placement;
}

int CPrinterInstaller::InfListsPrinter(WString* why)
{
    BuildDriverInfPath();
    CStdioFile inf;
    if (!m_szDriverInf[0] || !inf.Open(m_szDriverInf, CStdioFile::modeRead | CStdioFile::typeText)) {
        if (why) *why = text::Format(TEXT("the driver INF %s cannot be read"), m_szDriverInf);
        return kResultFailed;
    }
    CString line;
    while (inf.ReadString(line)) {
        inf::ModelLine model;
        if (inf::ParseModelLine(line.Str(), model) && SameText(model.model.c_str(), m_szPrinterName)) {
            inf.Close();
            return kResultOk;
        }
    }
    inf.Close();
    if (why)
        *why = text::Format(TEXT("the driver INF %s has no model line for \"%s\""), m_szDriverInf, m_szPrinterName);
    return kResultFailed;
}

int CPrinterInstaller::DeleteDriver(LPCWSTR name, DWORD* error)
{
    if (!name || !name[0]) return kResultFailed;
    WString own(name);
    DWORD failure = ERROR_SUCCESS;
    if (!::DeletePrinterDriverExW(nullptr, nullptr, &own[0], DPD_DELETE_UNUSED_FILES, 3)) {
        failure = ::GetLastError();
        // Wine refuses the flag with ERROR_INVALID_PARAMETER; without it the driver goes,
        // and a driver it does not know fails without an error code.
        if (failure == ERROR_INVALID_PARAMETER) {
            ::SetLastError(ERROR_SUCCESS);
            if (::DeletePrinterDriverExW(nullptr, nullptr, &own[0], 0, 3))
                failure = ERROR_SUCCESS;
            else
                failure = ::GetLastError() == ERROR_SUCCESS ? ERROR_UNKNOWN_PRINTER_DRIVER : ::GetLastError();
        }
    }
    if (error) *error = failure;
    return failure == ERROR_SUCCESS || failure == ERROR_UNKNOWN_PRINTER_DRIVER ? kResultOk : kResultFailed;
}

int CPrinterInstaller::IsDefaultPrinter(LPCWSTR name)
{
    WCHAR current[kPathCapacity] = {0};
    DWORD chars = kPathCapacity;
    if (!::GetDefaultPrinterW(current, &chars)) return kResultFailed;  // none, or one with a longer name
    return SameText(current, name) ? kResultOk : kResultFailed;
}

// The print spooler of the simulated machine: local printers and connections to
// other machines (each with driver and port), drivers, ports, the default printer
// and the print queues, behind the winspool functions with their contracts:
// two-call buffer sizing, printer handles that must be closed, access rights,
// a driver that cannot go while a printer uses it.
#include "platform/sim/api/spooler.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/spooler.h"

namespace sim {

namespace {

constexpr ACCESS_MASK kPrinterAccessAdminister = 0x00000004;
constexpr ACCESS_MASK kPrinterAccessUse = 0x00000008;
constexpr ACCESS_MASK kDelete = 0x00010000;
constexpr DWORD kPrinterStatusPaused = 0x00000001;
constexpr DWORD kPrinterStatusPendingDeletion = 0x00000004;

const std::u16string kEnvironment = u"Windows x64";

Spooler& S() { return TheSpooler(); }

Printer* FindByIdLocked(Spooler& s, unsigned long long id)
{
    for (Printer& p : s.printers)
        if (p.id == id) return &p;
    return nullptr;
}

void RemovePrinterLocked(Spooler& s, unsigned long long id)
{
    auto it = std::find_if(s.printers.begin(), s.printers.end(), [&](const Printer& p) { return p.id == id; });
    if (it == s.printers.end()) return;
    if (NamesEqual(s.defaultPrinter, it->state.name)) s.defaultPrinter.clear();
    s.printers.erase(it);
}

std::u16string Text(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

// Runs what a test asked to happen after this call, outside the lock.
void AfterCall(const char* function)
{
    std::vector<std::function<void()>> actions;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        auto range = S().afterCalls.equal_range(function);
        for (auto it = range.first; it != range.second; ++it) actions.push_back(std::move(it->second));
        S().afterCalls.erase(range.first, range.second);
    }
    for (auto& action : actions) action();
}

// Records first, their strings packed from the end of the buffer, as the spooler
// returns them.
class Packer {
public:
    Packer(LPBYTE buffer, size_t size) : m_base(buffer), m_tail(size) {}
    LPWSTR Put(const std::u16string& s)
    {
        m_tail -= (s.size() + 1) * sizeof(WCHAR);
        LPWSTR at = reinterpret_cast<LPWSTR>(m_base + m_tail);
        std::copy(s.begin(), s.end(), at);
        at[s.size()] = 0;
        return at;
    }

private:
    LPBYTE m_base;
    size_t m_tail;
};

size_t Chars(const std::u16string& s) { return (s.size() + 1) * sizeof(WCHAR); }

size_t Info2Size(const Printer& p)
{
    const PrinterState& st = p.state;
    size_t n = sizeof(PRINTER_INFO_2W) + Chars(st.name) + Chars(u"") + Chars(st.port) + Chars(st.driver) + Chars(u"") +
               Chars(u"") + Chars(u"") + Chars(u"winprint") + Chars(u"RAW") + Chars(u"");
    if (!st.server.empty()) n += Chars(u"\\\\" + st.server);
    return n;
}

void FillInfo2(const Printer& p, PRINTER_INFO_2W& r, Packer& pack)
{
    const PrinterState& st = p.state;
    std::memset(&r, 0, sizeof r);
    r.pServerName = st.server.empty() ? nullptr : pack.Put(u"\\\\" + st.server);
    r.pPrinterName = pack.Put(st.name);
    r.pShareName = pack.Put(u"");
    r.pPortName = pack.Put(st.port);
    r.pDriverName = pack.Put(st.driver);
    r.pComment = pack.Put(u"");
    r.pLocation = pack.Put(u"");
    r.pSepFile = pack.Put(u"");
    r.pPrintProcessor = pack.Put(u"winprint");
    r.pDatatype = pack.Put(u"RAW");
    r.pParameters = pack.Put(u"");
    r.Attributes = st.server.empty() ? PRINTER_ATTRIBUTE_LOCAL : PRINTER_ATTRIBUTE_NETWORK;
    r.Priority = 1;
    r.DefaultPriority = 1;
    r.Status = (p.paused ? kPrinterStatusPaused : 0) | (st.pendingDeletion ? kPrinterStatusPendingDeletion : 0);
    r.cJobs = static_cast<DWORD>(st.jobs);
}

bool IsLocalServer(LPCWSTR server) { return !server || !server[0]; }

}  // namespace

}  // namespace sim

using sim::S;

// --- winspool ------------------------------------------------------------------------------

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed,
                   LPDWORD returned)
{
    struct Done {
        ~Done() { sim::AfterCall("EnumPrintersW"); }
    } done;
    if (sim::FailsNow("EnumPrintersW")) return FALSE;
    if (!needed || !returned || (!buffer && bufferSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returned = 0;
    if (level != 2) {  // the only level this machine answers
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if ((flags & PRINTER_ENUM_NAME) && name && name[0]) {  // other machines' printers are not listed
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(S().mutex);
    std::vector<const sim::Printer*> chosen;
    for (const sim::Printer& p : S().printers) {
        bool local = p.state.server.empty();
        if ((local && (flags & PRINTER_ENUM_LOCAL)) || (!local && (flags & PRINTER_ENUM_CONNECTIONS)))
            chosen.push_back(&p);
    }
    size_t size = 0;
    for (const sim::Printer* p : chosen) size += sim::Info2Size(*p);
    *needed = static_cast<DWORD>(size);
    if (bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    sim::Packer pack(buffer, size);
    PRINTER_INFO_2W* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer);
    for (size_t i = 0; i < chosen.size(); ++i) sim::FillInfo2(*chosen[i], records[i], pack);
    *returned = static_cast<DWORD>(chosen.size());
    return TRUE;
}

BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults)
{
    if (!printer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *printer = nullptr;
    if (sim::FailsNow("OpenPrinterW")) return FALSE;
    ACCESS_MASK access = defaults ? defaults->DesiredAccess : sim::kPrinterAccessUse;
    if (!access) access = sim::kPrinterAccessUse;
    std::lock_guard<std::mutex> lock(S().mutex);
    sim::PrinterHandle h;
    h.access = access;
    if (name && name[0]) {  // no name: the local print server
        sim::Printer* p = sim::FindPrinterLocked(S(), name);
        if (!p) {
            SetLastError(ERROR_INVALID_PRINTER_NAME);
            return FALSE;
        }
        h.printerId = p->id;
    }
    ULONG_PTR value = S().nextHandle;
    S().nextHandle += 8;
    S().handles[value] = h;
    *printer = reinterpret_cast<HANDLE>(value);
    return TRUE;
}

namespace {
// The printer behind an open handle, with the lock held; null with the last error set.
sim::Printer* PrinterOf(HANDLE handle, sim::PrinterHandle** out = nullptr)
{
    auto it = S().handles.find(reinterpret_cast<ULONG_PTR>(handle));
    if (it == S().handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (out) *out = &it->second;
    sim::Printer* p = sim::FindByIdLocked(S(), it->second.printerId);
    if (!p) SetLastError(ERROR_INVALID_HANDLE);  // the server, or a printer already gone
    return p;
}
}  // namespace

BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed)
{
    struct Done {
        ~Done() { sim::AfterCall("GetPrinterW"); }
    } done;
    if (sim::FailsNow("GetPrinterW")) return FALSE;
    std::lock_guard<std::mutex> lock(S().mutex);
    sim::Printer* p = PrinterOf(printer);
    if (!p) return FALSE;
    if (!needed || (!buffer && bufferSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    size_t size = sim::Info2Size(*p);
    *needed = static_cast<DWORD>(size);
    if (bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    sim::Packer pack(buffer, size);
    sim::FillInfo2(*p, *reinterpret_cast<PRINTER_INFO_2W*>(buffer), pack);
    return TRUE;
}

BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE, DWORD command)
{
    if (sim::FailsNow("SetPrinterW")) return FALSE;
    std::string logLine;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        sim::PrinterHandle* h = nullptr;
        sim::Printer* p = PrinterOf(printer, &h);
        if (!p) return FALSE;
        // A command goes with level 0; changing the printer's record is not part of this machine.
        if (command == 0 || level != 0) {
            SetLastError(command == 0 ? ERROR_NOT_SUPPORTED : ERROR_INVALID_LEVEL);
            return FALSE;
        }
        if (!(h->access & sim::kPrinterAccessAdminister)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        switch (command) {
        case PRINTER_CONTROL_PAUSE: p->paused = true; return TRUE;
        case PRINTER_CONTROL_RESUME: p->paused = false; return TRUE;
        case PRINTER_CONTROL_PURGE: {
            logLine = "purge \"" + sim::Utf8(p->state.name) + "\" jobs=" + std::to_string(p->state.jobs);
            p->state.jobs = 0;
            if (p->state.pendingDeletion) {  // it was waiting only for its jobs
                logLine += "\ndelete-printer \"" + sim::Utf8(p->state.name) + "\"";
                sim::RemovePrinterLocked(S(), p->id);
            }
            break;
        }
        default: SetLastError(ERROR_INVALID_PRINTER_COMMAND); return FALSE;
        }
    }
    for (size_t at = 0; at <= logLine.size();) {
        size_t end = logLine.find('\n', at);
        if (end == std::string::npos) end = logLine.size();
        sim::Log(logLine.substr(at, end - at));
        at = end + 1;
    }
    return TRUE;
}

BOOL DeletePrinter(HANDLE printer)
{
    if (sim::FailsNow("DeletePrinter")) return FALSE;
    std::string logLine;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        sim::PrinterHandle* h = nullptr;
        sim::Printer* p = PrinterOf(printer, &h);
        if (!p) return FALSE;
        if (!(h->access & sim::kDelete) || !p->state.server.empty()) {  // a connection is not ours to delete
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        logLine = "delete-printer \"" + sim::Utf8(p->state.name) + "\"";
        if (p->state.jobs > 0) {
            // Windows keeps a printer with queued jobs until they are done.
            p->state.pendingDeletion = true;
            logLine += " pending jobs=" + std::to_string(p->state.jobs);
        } else {
            sim::RemovePrinterLocked(S(), p->id);
        }
    }
    sim::Log(logLine);
    return TRUE;
}

BOOL ClosePrinter(HANDLE printer)
{
    std::lock_guard<std::mutex> lock(S().mutex);
    if (!S().handles.erase(reinterpret_cast<ULONG_PTR>(printer))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL DeletePrinterDriverExW(LPWSTR server, LPWSTR environment, LPWSTR driverName, DWORD deleteFlag, DWORD versionFlag)
{
    std::u16string name = sim::Text(driverName);
    DWORD error = ERROR_SUCCESS;
    if (sim::TakeFailure("DeletePrinterDriverExW", &error)) {
    } else if (!sim::IsLocalServer(server)) {
        error = ERROR_INVALID_NAME;
    } else if (environment && environment[0] && !sim::NamesEqual(environment, sim::kEnvironment) &&
               !sim::NamesEqual(environment, u"Windows NT x86")) {
        error = ERROR_INVALID_ENVIRONMENT;
    } else if ((deleteFlag &
                ~static_cast<DWORD>(DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION | DPD_DELETE_ALL_FILES)) ||
               ((deleteFlag & DPD_DELETE_SPECIFIC_VERSION) && versionFlag > 3) || name.empty()) {
        error = ERROR_INVALID_PARAMETER;
    } else {
        std::lock_guard<std::mutex> lock(S().mutex);
        auto& drivers = S().drivers;
        auto it = std::find_if(drivers.begin(), drivers.end(), [&](const auto& d) { return sim::NamesEqual(d, name); });
        if (it == drivers.end()) {
            error = ERROR_UNKNOWN_PRINTER_DRIVER;
        } else if (std::any_of(S().printers.begin(), S().printers.end(),
                               [&](const sim::Printer& p) { return sim::NamesEqual(p.state.driver, name); })) {
            error = ERROR_PRINTER_DRIVER_IN_USE;
        } else {
            drivers.erase(it);
        }
    }
    sim::Log("delete-driver \"" + sim::Utf8(name) +
             "\": " + (error == ERROR_SUCCESS ? std::string("ok") : "error " + std::to_string(error)));
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL EnumPortsW(LPWSTR name, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed, LPDWORD returned)
{
    if (sim::FailsNow("EnumPortsW")) return FALSE;
    if (!needed || !returned || (!buffer && bufferSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returned = 0;
    if (!sim::IsLocalServer(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(S().mutex);
    size_t size = 0;
    for (const sim::Port& p : S().ports)
        size += sizeof(PORT_INFO_2W) + sim::Chars(p.name) + sim::Chars(p.monitor) + sim::Chars(p.description);
    *needed = static_cast<DWORD>(size);
    if (bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    sim::Packer pack(buffer, size);
    PORT_INFO_2W* records = reinterpret_cast<PORT_INFO_2W*>(buffer);
    for (size_t i = 0; i < S().ports.size(); ++i) {
        const sim::Port& p = S().ports[i];
        records[i].pPortName = pack.Put(p.name);
        records[i].pMonitorName = pack.Put(p.monitor);
        records[i].pDescription = pack.Put(p.description);
        records[i].fPortType = 0x1 | 0x2;  // write and read
        records[i].Reserved = 0;
    }
    *returned = static_cast<DWORD>(S().ports.size());
    return TRUE;
}

HANDLE AddPrinterW(LPWSTR server, DWORD level, LPBYTE info)
{
    if (sim::FailsNow("AddPrinterW")) return nullptr;
    if (!sim::IsLocalServer(server) || !info) {
        SetLastError(!info ? ERROR_INVALID_PARAMETER : ERROR_INVALID_NAME);
        return nullptr;
    }
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return nullptr;
    }
    const PRINTER_INFO_2W* p = reinterpret_cast<const PRINTER_INFO_2W*>(info);
    std::u16string name = sim::Text(p->pPrinterName);
    DWORD error = sim::SpoolerAddPrinter(name, sim::Text(p->pDriverName), sim::Text(p->pPortName));
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    OpenPrinterW(&name[0], &handle, &all);
    return handle;
}

BOOL AddPrinterDriverExW(LPWSTR server, DWORD level, LPBYTE info, DWORD)
{
    if (sim::FailsNow("AddPrinterDriverExW")) return FALSE;
    if (!sim::IsLocalServer(server) || !info || (level != 2 && level != 3)) {
        SetLastError(!info                      ? ERROR_INVALID_PARAMETER
                     : level != 2 && level != 3 ? ERROR_INVALID_LEVEL
                                                : ERROR_INVALID_NAME);
        return FALSE;
    }
    // Level 2 is the first part of level 3.
    const DRIVER_INFO_3W* d = reinterpret_cast<const DRIVER_INFO_3W*>(info);
    DWORD error = sim::SpoolerAddDriver(sim::Text(d->pName));
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL EnumPrinterDriversW(LPWSTR server, LPWSTR, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed,
                         LPDWORD returned)
{
    if (sim::FailsNow("EnumPrinterDriversW")) return FALSE;
    if (!needed || !returned || (!buffer && bufferSize) || !sim::IsLocalServer(server)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returned = 0;
    if (level != 3) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const std::u16string path = u"C:\\Windows\\System32\\spool\\DRIVERS\\x64\\3\\";
    std::lock_guard<std::mutex> lock(S().mutex);
    const auto& drivers = S().drivers;
    size_t size = 0;
    for (const auto& d : drivers)
        size += sizeof(DRIVER_INFO_3W) + sim::Chars(d) + sim::Chars(sim::kEnvironment) +
                sim::Chars(path + u"UNIDRV.DLL") + sim::Chars(path + u"OEMPRINT.GPD") +
                sim::Chars(path + u"UNIDRVUI.DLL") + sim::Chars(u"") + 2 * sizeof(WCHAR) + sim::Chars(u"") +
                sim::Chars(u"");
    *needed = static_cast<DWORD>(size);
    if (bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    sim::Packer pack(buffer, size);
    DRIVER_INFO_3W* records = reinterpret_cast<DRIVER_INFO_3W*>(buffer);
    for (size_t i = 0; i < drivers.size(); ++i) {
        DRIVER_INFO_3W& r = records[i];
        r.cVersion = 3;
        r.pName = pack.Put(drivers[i]);
        r.pEnvironment = pack.Put(sim::kEnvironment);
        r.pDriverPath = pack.Put(path + u"UNIDRV.DLL");
        r.pDataFile = pack.Put(path + u"OEMPRINT.GPD");
        r.pConfigFile = pack.Put(path + u"UNIDRVUI.DLL");
        r.pHelpFile = pack.Put(u"");
        r.pDependentFiles = pack.Put(std::u16string(1, u'\0'));  // an empty multi-string
        r.pMonitorName = pack.Put(u"");
        r.pDefaultDataType = pack.Put(u"");
    }
    *returned = static_cast<DWORD>(drivers.size());
    return TRUE;
}

BOOL SetDefaultPrinterW(LPCWSTR name)
{
    if (sim::FailsNow("SetDefaultPrinterW")) return FALSE;
    if (!name || !name[0]) {
        // Keeps the default there is; without one, takes the first local printer.
        std::u16string first;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            if (!S().defaultPrinter.empty()) return TRUE;
            for (const sim::Printer& p : S().printers)
                if (p.state.server.empty() && !p.state.pendingDeletion) {
                    first = p.state.name;
                    break;
                }
        }
        if (first.empty()) return TRUE;
        return sim::SpoolerSetDefault(first) == ERROR_SUCCESS;
    }
    DWORD error = sim::SpoolerSetDefault(name);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL GetDefaultPrinterW(LPWSTR buffer, LPDWORD chars)
{
    if (!chars) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(S().mutex);
    const std::u16string& name = S().defaultPrinter;
    if (name.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    DWORD need = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *chars < need) {
        *chars = need;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *chars = need;
    return TRUE;
}

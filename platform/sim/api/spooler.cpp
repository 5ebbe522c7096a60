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
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/spooler.h"
#include "platform/sim/state/verifier.h"

namespace sim {

namespace {

constexpr ACCESS_MASK kPrinterAccessAdminister = 0x00000004;
constexpr ACCESS_MASK kPrinterAccessUse = 0x00000008;
constexpr ACCESS_MASK kDelete = 0x00010000;

const std::u16string kEnvironment = u"Windows x64";

Spooler& S() { return TheSpooler(); }

Printer* FindByIdLocked(Spooler& s, unsigned long long id)
{
    for (Printer& p : s.printers)
        if (p.id == id) return &p;
    return nullptr;
}

std::u16string Text(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

// Runs what a test asked to happen after this call, outside the lock.
void AfterCall(const char* function);

// Declared first in each spooler function: runs AfterCall when the call returns.
class AfterCallGuard {
public:
    explicit AfterCallGuard(const char* function) : m_function(function) {}
    ~AfterCallGuard() { AfterCall(m_function); }
    AfterCallGuard(const AfterCallGuard&) = delete;
    AfterCallGuard& operator=(const AfterCallGuard&) = delete;

private:
    const char* m_function;
};

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

// The open printer handle behind the value, with the lock held; null, with the last
// error ERROR_INVALID_HANDLE, for anything else. winspool checks for NULL; any other
// value it follows as its own record of an open printer, so a handle already closed,
// a handle of another kind or a made-up value is a contract violation as well.
PrinterHandle* OpenHandleLocked(const char* function, HANDLE handle)
{
    auto it = S().handles.find(reinterpret_cast<ULONG_PTR>(handle));
    if (it != S().handles.end()) return &it->second;
    if (handle) CheckHandle(function, "hPrinter", handle, {"printer"});
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

// The printer an open handle stands for; null, with ERROR_INVALID_HANDLE, for a handle
// to the print server.
Printer* PrinterOfLocked(const PrinterHandle& h)
{
    Printer* p = FindByIdLocked(S(), h.printerId);
    if (!p) SetLastError(ERROR_INVALID_HANDLE);
    return p;
}

std::string Quoted(const std::u16string& name) { return "\"" + Utf8(name) + "\""; }

// A sized call's buffer: null only with a size of 0, and both counts there to write.
// Windows' RPC stubs fail the call before it reaches the spooler.
bool CheckSizedCall(LPBYTE buffer, DWORD bufferSize, LPDWORD needed, LPDWORD returned, bool hasReturned)
{
    if (!needed || (hasReturned && !returned)) {
        SetLastError(RPC_X_NULL_REF_POINTER);
        return false;
    }
    if (!buffer && bufferSize) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return false;
    }
    return true;
}

// Records first, their strings packed from the end of the caller's buffer, as the
// spooler returns them. The RPC stub hands the whole buffer back, all bufferSize bytes
// of it, so the whole of it is written: a size in characters, or any size larger than
// the buffer, writes past its end.
class Packer {
public:
    Packer(LPBYTE buffer, size_t size) : m_base(buffer), m_tail(size)
    {
        if (size) std::memset(buffer, 0, size);
    }
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
    r.Status = p.setStatus | (p.paused ? PRINTER_STATUS_PAUSED : 0) |
               (st.pendingDeletion ? PRINTER_STATUS_PENDING_DELETION : 0);
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
    sim::AfterCallGuard done("EnumPrintersW");
    if (sim::FailsNow("EnumPrintersW")) return FALSE;
    if (!sim::CheckSizedCall(buffer, bufferSize, needed, returned, true)) return FALSE;
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
        if (p.state.pendingDeletion) continue;  // deleted: no longer listed
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
    sim::Packer pack(buffer, bufferSize);
    PRINTER_INFO_2W* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer);
    for (size_t i = 0; i < chosen.size(); ++i) sim::FillInfo2(*chosen[i], records[i], pack);
    *returned = static_cast<DWORD>(chosen.size());
    return TRUE;
}

BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults)
{
    sim::AfterCallGuard done("OpenPrinterW");
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
        sim::Printer* p = sim::FindLivePrinterLocked(S(), name);
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
    sim::NoteHandleOpened(*printer, "printer");
    return TRUE;
}

BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed)
{
    sim::AfterCallGuard done("GetPrinterW");
    if (sim::FailsNow("GetPrinterW")) return FALSE;
    std::lock_guard<std::mutex> lock(S().mutex);
    sim::PrinterHandle* h = sim::OpenHandleLocked("GetPrinterW", printer);
    sim::Printer* p = h ? sim::PrinterOfLocked(*h) : nullptr;
    if (!p) return FALSE;
    if (!sim::CheckSizedCall(buffer, bufferSize, needed, nullptr, false)) return FALSE;
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
    sim::Packer pack(buffer, bufferSize);
    sim::FillInfo2(*p, *reinterpret_cast<PRINTER_INFO_2W*>(buffer), pack);
    return TRUE;
}

BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE info, DWORD command)
{
    sim::AfterCallGuard done("SetPrinterW");
    if (sim::FailsNow("SetPrinterW")) return FALSE;
    std::string logLine;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        sim::PrinterHandle* h = sim::OpenHandleLocked("SetPrinterW", printer);
        sim::Printer* p = h ? sim::PrinterOfLocked(*h) : nullptr;
        if (!p) return FALSE;
        std::string values = "Level=" + std::to_string(level) + ", pPrinter=" + (info ? "non-NULL" : "NULL") +
                             ", Command=" + std::to_string(command);
        if (command != 0 && level != 0) {
            sim::RecordViolation("SetPrinterW", "a command needs Level 0", values);
            SetLastError(ERROR_INVALID_LEVEL);
            return FALSE;
        }
        if (command == 0) {  // changing the printer's record is not part of this machine
            SetLastError(level == 0 ? ERROR_INVALID_LEVEL : ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        if (command == PRINTER_CONTROL_SET_STATUS && !info) {
            sim::RecordViolation("SetPrinterW", "PRINTER_CONTROL_SET_STATUS needs pPrinter to point at the status",
                                 values);
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (command != PRINTER_CONTROL_SET_STATUS && info)
            sim::RecordViolation(
                "SetPrinterW",
                "with Level 0 and a command other than PRINTER_CONTROL_SET_STATUS, pPrinter must be NULL", values);
        if (!(h->access & sim::kPrinterAccessAdminister)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        switch (command) {
        case PRINTER_CONTROL_PAUSE: p->paused = true; return TRUE;
        case PRINTER_CONTROL_RESUME: p->paused = false; return TRUE;
        case PRINTER_CONTROL_SET_STATUS: p->setStatus = *reinterpret_cast<const DWORD*>(info); return TRUE;
        case PRINTER_CONTROL_PURGE:
            // A deleted printer waiting for its jobs goes once its last handle is closed.
            logLine = "purge " + sim::Quoted(p->state.name) + " jobs=" + std::to_string(p->state.jobs);
            p->state.jobs = 0;
            break;
        default: SetLastError(ERROR_INVALID_PRINTER_COMMAND); return FALSE;
        }
    }
    sim::Log(logLine);
    return TRUE;
}

BOOL DeletePrinter(HANDLE printer)
{
    sim::AfterCallGuard done("DeletePrinter");
    if (sim::FailsNow("DeletePrinter")) return FALSE;
    std::string logLine;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        sim::PrinterHandle* h = sim::OpenHandleLocked("DeletePrinter", printer);
        sim::Printer* p = h ? sim::PrinterOfLocked(*h) : nullptr;
        if (!p) return FALSE;
        if (!(h->access & sim::kDelete) || !p->state.server.empty()) {  // a connection is not ours to delete
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        logLine = "delete-printer " + sim::Quoted(p->state.name);
        if (p->state.pendingDeletion) {
            logLine += ": deleted already";
        } else {
            // The printer is marked and unlisted at once; the object goes when neither a
            // queued job nor an open handle (this one included) holds it any more.
            p->state.pendingDeletion = true;
            if (sim::NamesEqual(S().defaultPrinter, p->state.name)) S().defaultPrinter.clear();
            size_t others = sim::HandlesOnLocked(S(), p->id) - 1;
            if (p->state.jobs > 0 || others > 0) {
                logLine += " pending";
                if (p->state.jobs > 0) logLine += " jobs=" + std::to_string(p->state.jobs);
                if (others > 0) logLine += " handles=" + std::to_string(others);
            }
        }
    }
    sim::Log(logLine);
    return TRUE;
}

BOOL ClosePrinter(HANDLE printer)
{
    sim::AfterCallGuard done("ClosePrinter");
    DWORD error = ERROR_SUCCESS;
    sim::TakeFailure("ClosePrinter", &error);
    std::string logLine = "close-printer ";
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        sim::PrinterHandle* h = sim::OpenHandleLocked("ClosePrinter", printer);
        if (!h) {
            logLine += "(no open printer handle)";
            if (error == ERROR_SUCCESS) error = ERROR_INVALID_HANDLE;
        } else {
            unsigned long long id = h->printerId;
            sim::Printer* p = sim::FindByIdLocked(S(), id);
            logLine += p ? sim::Quoted(p->state.name) : std::string("(print server)");
            if (error == ERROR_SUCCESS) {
                ULONG_PTR value = reinterpret_cast<ULONG_PTR>(printer);
                S().handles.erase(value);
                sim::NoteHandleClosed(printer);
                if (p && sim::RemoveIfReleasedLocked(S(), id)) logLine += ": printer removed";
            }
        }
    }
    if (error != ERROR_SUCCESS) {
        sim::Log(logLine + ": error " + std::to_string(error));
        SetLastError(error);
        return FALSE;
    }
    sim::Log(logLine);
    return TRUE;
}

BOOL DeletePrinterDriverExW(LPWSTR server, LPWSTR environment, LPWSTR driverName, DWORD deleteFlag, DWORD versionFlag)
{
    sim::AfterCallGuard done("DeletePrinterDriverExW");
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
    sim::AfterCallGuard done("EnumPortsW");
    if (sim::FailsNow("EnumPortsW")) return FALSE;
    if (!sim::CheckSizedCall(buffer, bufferSize, needed, returned, true)) return FALSE;
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
    sim::Packer pack(buffer, bufferSize);
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
    sim::AfterCallGuard done("AddPrinterW");
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
    sim::AfterCallGuard done("AddPrinterDriverExW");
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
    sim::AfterCallGuard done("EnumPrinterDriversW");
    if (sim::FailsNow("EnumPrinterDriversW")) return FALSE;
    if (!sim::CheckSizedCall(buffer, bufferSize, needed, returned, true)) return FALSE;
    if (!sim::IsLocalServer(server)) {
        SetLastError(ERROR_INVALID_NAME);
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
    sim::Packer pack(buffer, bufferSize);
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
    sim::AfterCallGuard done("SetDefaultPrinterW");
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
    sim::AfterCallGuard done("GetDefaultPrinterW");
    if (sim::FailsNow("GetDefaultPrinterW")) return FALSE;
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

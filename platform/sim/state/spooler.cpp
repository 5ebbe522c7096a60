#include "platform/sim/state/spooler.h"

#include <algorithm>

#include "platform/sim/state/machine.h"
#include "platform/text.h"

namespace sim {

Spooler& TheSpooler()
{
    static Spooler s;
    return s;
}

Port MakePort(const std::u16string& name)
{
    bool usb = name.compare(0, 3, u"USB") == 0;
    return Port{name, usb ? u"USB Monitor" : u"Local Port", usb ? u"Virtual printer port for USB" : u"Local Port"};
}

namespace {

void StandardPorts(Spooler& s)
{
    s.ports.clear();
    for (const char16_t* p : {u"LPT1:", u"LPT2:", u"LPT3:", u"COM1:", u"COM2:", u"COM3:", u"COM4:", u"FILE:"})
        s.ports.push_back(MakePort(p));
}

}  // namespace

namespace {

Printer* FindLocked(Spooler& s, const std::u16string& name, bool withDeleted)
{
    for (Printer& p : s.printers)
        if (p.state.name == name && (withDeleted || !p.state.pendingDeletion)) return &p;
    for (Printer& p : s.printers)
        if (NamesEqual(p.state.name, name) && (withDeleted || !p.state.pendingDeletion)) return &p;
    return nullptr;
}

}  // namespace

Printer* FindPrinterLocked(Spooler& s, const std::u16string& name) { return FindLocked(s, name, true); }

Printer* FindLivePrinterLocked(Spooler& s, const std::u16string& name) { return FindLocked(s, name, false); }

size_t HandlesOnLocked(const Spooler& s, unsigned long long printerId)
{
    size_t n = 0;
    for (const auto& h : s.handles) n += h.second.printerId == printerId;
    return n;
}

bool RemoveIfReleasedLocked(Spooler& s, unsigned long long printerId)
{
    auto it = std::find_if(s.printers.begin(), s.printers.end(), [&](const Printer& p) { return p.id == printerId; });
    if (it == s.printers.end() || !it->state.pendingDeletion || it->state.jobs > 0 || HandlesOnLocked(s, printerId))
        return false;
    if (NamesEqual(s.defaultPrinter, it->state.name)) s.defaultPrinter.clear();
    s.printers.erase(it);
    return true;
}

bool DriverPresentLocked(Spooler& s, const std::u16string& name)
{
    return std::any_of(s.drivers.begin(), s.drivers.end(), [&](const auto& d) { return NamesEqual(d, name); });
}

bool NamesEqual(const std::u16string& a, const std::u16string& b)
{
    return text::EqualIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

std::string Utf8(const std::u16string& s) { return text::ToUtf8(s.data(), s.size()); }

DWORD SpoolerAddDriver(const std::u16string& name)
{
    if (name.empty()) return ERROR_INVALID_PARAMETER;
    {
        std::lock_guard<std::mutex> lock(TheSpooler().mutex);
        if (DriverPresentLocked(TheSpooler(), name)) return ERROR_SUCCESS;
        TheSpooler().drivers.push_back(name);
    }
    Log("add-driver \"" + Utf8(name) + "\"");
    return ERROR_SUCCESS;
}

DWORD SpoolerAddPrinter(const std::u16string& name, const std::u16string& driver, const std::u16string& port)
{
    if (name.empty() || name.find_first_of(u",\\") != std::u16string::npos) return ERROR_INVALID_PRINTER_NAME;
    {
        std::lock_guard<std::mutex> lock(TheSpooler().mutex);
        Spooler& s = TheSpooler();
        if (FindPrinterLocked(s, name)) return ERROR_PRINTER_ALREADY_EXISTS;
        if (!DriverPresentLocked(s, driver)) return ERROR_UNKNOWN_PRINTER_DRIVER;
        if (std::none_of(s.ports.begin(), s.ports.end(), [&](const Port& p) { return NamesEqual(p.name, port); }))
            return ERROR_UNKNOWN_PORT;
        Printer p;
        p.id = s.nextId++;
        p.state.name = name;
        p.state.driver = driver;
        p.state.port = port;
        s.printers.push_back(p);
    }
    Log("add-printer \"" + Utf8(name) + "\" driver=\"" + Utf8(driver) + "\" port=\"" + Utf8(port) + "\"");
    return ERROR_SUCCESS;
}

DWORD SpoolerSetDefault(const std::u16string& name)
{
    std::u16string chosen;
    {
        std::lock_guard<std::mutex> lock(TheSpooler().mutex);
        Printer* p = FindLivePrinterLocked(TheSpooler(), name);
        if (!p || name.empty()) return ERROR_INVALID_PRINTER_NAME;
        chosen = TheSpooler().defaultPrinter = p->state.name;
    }
    Log("set-default \"" + Utf8(chosen) + "\"");
    return ERROR_SUCCESS;
}

DWORD SpoolerQueueTestPage(const std::u16string& name)
{
    std::u16string printer;
    {
        std::lock_guard<std::mutex> lock(TheSpooler().mutex);
        Printer* p = FindLivePrinterLocked(TheSpooler(), name);
        if (!p || name.empty()) return ERROR_INVALID_PRINTER_NAME;
        ++p->state.jobs;
        printer = p->state.name;
    }
    Log("test-page \"" + Utf8(printer) + "\"");
    return ERROR_SUCCESS;
}

std::u16string SpoolerFreePrinterName(const std::u16string& model)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    if (!FindPrinterLocked(TheSpooler(), model)) return model;
    for (int n = 1;; ++n) {
        std::u16string name = model + u" (Copy " + text::FromUtf8(std::to_string(n)) + u")";
        if (!FindPrinterLocked(TheSpooler(), name)) return name;
    }
}

bool SpoolerHasPort(const std::u16string& name)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    return std::any_of(TheSpooler().ports.begin(), TheSpooler().ports.end(),
                       [&](const Port& p) { return NamesEqual(p.name, name); });
}

std::u16string SpoolerFirstUsbPort()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    for (const Port& p : TheSpooler().ports)
        if (p.name.compare(0, 3, u"USB") == 0) return p.name;
    return std::u16string();
}

void ResetSpoolerPart()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    Spooler& s = TheSpooler();
    s.printers.clear();
    s.drivers.clear();
    StandardPorts(s);
    s.defaultPrinter.clear();
    s.handles.clear();
    s.afterCalls.clear();
}

}  // namespace sim

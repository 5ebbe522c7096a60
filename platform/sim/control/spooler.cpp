#include "platform/sim/control/spooler.h"

#include "platform/sim/state/spooler.h"

namespace sim {

namespace {

// Adds the printer unless one of exactly that name is there already.
bool AddPrinterRecord(const PrinterState& state)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    Spooler& s = TheSpooler();
    for (const Printer& p : s.printers)
        if (p.state.name == state.name) return false;
    Printer p;
    p.id = s.nextId++;
    p.state = state;
    s.printers.push_back(p);
    return true;
}

}  // namespace

bool AddLocalPrinter(const std::u16string& name, const std::u16string& driver, const std::u16string& port, int jobs)
{
    if (name.empty()) return false;
    PrinterState state;
    state.name = name;
    state.driver = driver;
    state.port = port;
    state.jobs = jobs > 0 ? jobs : 0;
    return AddPrinterRecord(state);
}

bool AddPrinterConnection(const std::u16string& server, const std::u16string& name, const std::u16string& driver)
{
    if (server.empty() || name.empty()) return false;
    PrinterState state;
    state.name = u"\\\\" + server + u"\\" + name;
    state.driver = driver;
    state.port = name;
    state.server = server;
    return AddPrinterRecord(state);
}

void AddPrinterDriver(const std::u16string& name)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    if (!name.empty() && !DriverPresentLocked(TheSpooler(), name)) TheSpooler().drivers.push_back(name);
}

void AddPort(const std::u16string& name)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    for (const Port& p : TheSpooler().ports)
        if (NamesEqual(p.name, name)) return;
    TheSpooler().ports.push_back(MakePort(name));
}

void SetPorts(const std::vector<std::u16string>& names)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    TheSpooler().ports.clear();
    for (const auto& n : names) TheSpooler().ports.push_back(MakePort(n));
}

bool AddJobs(const std::u16string& printer, int count)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    for (Printer& p : TheSpooler().printers)
        if (p.state.name == printer) {
            p.state.jobs += count > 0 ? count : 0;
            return true;
        }
    return false;
}

void SetDefaultPrinterName(const std::u16string& name)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    TheSpooler().defaultPrinter = name;
}

std::vector<PrinterState> Printers()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    std::vector<PrinterState> out;
    for (const Printer& p : TheSpooler().printers) out.push_back(p.state);
    return out;
}

std::vector<std::u16string> PrinterDrivers()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    return TheSpooler().drivers;
}

std::vector<std::u16string> Ports()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    std::vector<std::u16string> out;
    for (const Port& p : TheSpooler().ports) out.push_back(p.name);
    return out;
}

std::u16string DefaultPrinterName()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    return TheSpooler().defaultPrinter;
}

size_t OpenPrinterHandleCount()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    return TheSpooler().handles.size();
}

std::string DescribeSpooler()
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    const Spooler& s = TheSpooler();
    std::string out;
    for (const Printer& p : s.printers) {
        const PrinterState& st = p.state;
        out += st.server.empty() ? "printer \"" : "connection \"";
        out += Utf8(st.name) + "\" driver=\"" + Utf8(st.driver) + "\" port=\"" + Utf8(st.port) + "\"";
        if (st.jobs) out += " jobs=" + std::to_string(st.jobs);
        if (st.pendingDeletion) out += " pending-deletion";
        if (NamesEqual(s.defaultPrinter, st.name) && !s.defaultPrinter.empty()) out += " default";
        out += "\n";
    }
    for (const auto& d : s.drivers) out += "driver \"" + Utf8(d) + "\"\n";
    out += "ports";
    for (const Port& p : s.ports) out += " \"" + Utf8(p.name) + "\"";
    out += "\n";
    return out;
}

void AfterNextSpoolerCall(const std::string& function, std::function<void()> action)
{
    std::lock_guard<std::mutex> lock(TheSpooler().mutex);
    TheSpooler().afterCalls.insert({function, std::move(action)});
}

}  // namespace sim

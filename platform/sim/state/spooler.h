// The simulated print spooler's state: local printers and connections (each with
// driver and port), drivers, ports, the default printer, open printer handles; and
// what the printer-UI entry and the Plug and Play driver update do to it. Internal to
// platform/sim.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/api/spooler.h"
#include "platform/sim/state/spooler_shared.h"

namespace sim {

struct Printer {
    unsigned long long id = 0;
    PrinterState state;
    bool paused = false;
    DWORD setStatus = 0;  // what PRINTER_CONTROL_SET_STATUS set
};

struct Port {
    std::u16string name;
    std::u16string monitor;
    std::u16string description;
};

struct PrinterHandle {
    unsigned long long printerId = 0;  // 0: the print server
    ACCESS_MASK access = 0;
};

// Every field is guarded by the mutex.
struct Spooler {
    std::mutex mutex;
    std::vector<Printer> printers;  // in the order they were added, the enumeration order
    std::vector<std::u16string> drivers;
    std::vector<Port> ports;
    std::u16string defaultPrinter;
    std::map<ULONG_PTR, PrinterHandle> handles;
    ULONG_PTR nextHandle = 0x7000000;
    unsigned long long nextId = 1;
    std::multimap<std::string, std::function<void()>> afterCalls;  // see sim::AfterNextSpoolerCall
};
Spooler& TheSpooler();

// A port as the spooler lists it: "USB..." ports belong to the USB monitor, others
// are local ports.
Port MakePort(const std::u16string& name);
// With the mutex held. An exact match wins over one that differs in letter case.
// A deleted printer that open handles still hold keeps its name taken, but is found
// by neither OpenPrinterW nor EnumPrintersW: FindPrinterLocked finds it,
// FindLivePrinterLocked does not.
Printer* FindPrinterLocked(Spooler& s, const std::u16string& name);
Printer* FindLivePrinterLocked(Spooler& s, const std::u16string& name);
// Open handles on the printer.
size_t HandlesOnLocked(const Spooler& s, unsigned long long printerId);
// Takes a deleted printer away once no job and no open handle holds it any more (and
// with it the default, when it was that); true when it went.
bool RemoveIfReleasedLocked(Spooler& s, unsigned long long printerId);
bool DriverPresentLocked(Spooler& s, const std::u16string& name);

// What the printer-UI entry and the driver update do. Each returns ERROR_SUCCESS or
// the error Windows would give.
DWORD SpoolerAddDriver(const std::u16string& name);
DWORD SpoolerAddPrinter(const std::u16string& name, const std::u16string& driver, const std::u16string& port);
DWORD SpoolerSetDefault(const std::u16string& name);
DWORD SpoolerQueueTestPage(const std::u16string& name);
// The name a new printer of this model gets: the model name, or "NAME (Copy n)"
// with the lowest free n when a printer has that name already.
std::u16string SpoolerFreePrinterName(const std::u16string& model);
bool SpoolerHasPort(const std::u16string& name);
std::u16string SpoolerFirstUsbPort();

// Names compared as the spooler and INF files compare them: letter case ignored, as far
// as text::UpperCase goes.
bool NamesEqual(const std::u16string& a, const std::u16string& b);
std::string Utf8(const std::u16string& s);

// No printers, drivers or handles; the standard ports.
void ResetSpoolerPart();

}  // namespace sim

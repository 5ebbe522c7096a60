// The control API of the simulated machine's print spooler: describe the printers,
// drivers and ports of a PC and read back the state. The program itself never
// includes this header.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/spooler_shared.h"

namespace sim {

// A printer is read back as a sim::PrinterState (state/spooler_shared.h).

// Adds a local printer. False (nothing added) for an empty name or a name already
// present with the same letter case.
bool AddLocalPrinter(const std::u16string& name, const std::u16string& driver, const std::u16string& port,
                     int jobs = 0);
// Adds a connection to a printer shared by another machine; it is listed as
// \\server\name and only by PRINTER_ENUM_CONNECTIONS.
bool AddPrinterConnection(const std::u16string& server, const std::u16string& name, const std::u16string& driver);
// Adds an installed driver (current environment, version 3); nothing when present.
void AddPrinterDriver(const std::u16string& name);
// Adds a port; "USB..." ports belong to the USB monitor, others are local ports.
void AddPort(const std::u16string& name);
// Replaces every port. At reset the machine has LPT1: to LPT3:, COM1: to COM4: and FILE:.
void SetPorts(const std::vector<std::u16string>& names);
// Queues more jobs on a printer; false when there is no such printer.
bool AddJobs(const std::u16string& printer, int count);
// Makes a printer the default printer (empty: none).
void SetDefaultPrinterName(const std::u16string& name);

std::vector<PrinterState> Printers();
std::vector<std::u16string> PrinterDrivers();
std::vector<std::u16string> Ports();
std::u16string DefaultPrinterName();
// Printer handles the program has opened and not closed.
size_t OpenPrinterHandleCount();
// The spooler, one fact a line, for the simulator's final report.
std::string DescribeSpooler();

// Runs `action` once, right after the next call of the named spooler function
// (EnumPrintersW, GetPrinterW, DeletePrinterDriverExW, ...) has produced its answer:
// printers added there make a second sizing call come up short, FailCall there fails
// only the next call.
void AfterNextSpoolerCall(const std::string& function, std::function<void()> action);

}  // namespace sim

// The control API of the simulated machine's print spooler, shell (rundll32 with
// the printer-UI entry) and Plug and Play driver update: describe the printers,
// drivers and ports of a PC, choose how rundll32 and the device functions behave,
// and read back the state and what the program asked for. The program itself never
// includes this header.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/win_types.h"

namespace sim {

// --- the spooler's state --------------------------------------------------------------
// Printer names are found without regard to letter case, as Windows does; the
// machine keeps them in the order they were added, which is the enumeration order.
struct PrinterState {
    std::u16string name;  // a connection's full name, \\SERVER\NAME
    std::u16string driver;
    std::u16string port;
    std::u16string server;         // empty for a local printer
    int jobs = 0;                  // jobs waiting in the queue
    bool pendingDeletion = false;  // deleted while jobs were queued; goes with the last job
};

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
// (EnumPrintersW, GetPrinterW, ...) has produced its answer: printers added there
// make a second sizing call come up short, FailCall there fails only the next call.
void AfterNextSpoolerCall(const std::string& function, std::function<void()> action);

// --- rundll32 and the printer-UI entry -----------------------------------------------
struct Rundll32Behaviour {
    DWORD startError = 0;        // nonzero: ShellExecuteExW fails with this last-error code
    DWORD runMs = 0;             // how long the process runs before its command takes effect (scaled)
    bool outlivesWaits = false;  // the process keeps running until EndRundll32Processes or reset
};
void SetRundll32Behaviour(const Rundll32Behaviour& behaviour);
// Lets every process kept running by outlivesWaits carry out its command and end.
void EndRundll32Processes();

struct Rundll32Run {
    std::u16string file;        // the program as the caller named it
    std::u16string parameters;  // what the program passed after "rundll32"
    std::vector<DWORD> waits;   // time-outs (ms, unscaled) the program waited on the process with
    bool ended = false;
    DWORD exitCode = 0;  // 0 when the printer-UI command succeeded, else its error
};
std::vector<Rundll32Run> Rundll32Runs();

// --- Plug and Play ----------------------------------------------------------------------
struct DriverUpdate {
    std::u16string hardwareId;
    std::u16string infPath;
    DWORD installFlags = 0;
    bool hadParent = false;      // a parent window was passed
    bool hadRebootFlag = false;  // a reboot-required flag was passed
    bool succeeded = false;
    DWORD error = 0;
};
// Every UpdateDriverForPlugAndPlayDevicesW call, in order.
std::vector<DriverUpdate> DriverUpdates();
// Makes every later driver update fail with the error (0: succeed again when the
// device and INF are there).
void FailDriverUpdates(DWORD error);
// The port on which a successful driver update creates the printer of the INF's
// model; by default the first USB port of the spooler, none when there is none.
void SetPnpPrinterPort(const std::u16string& port);

// What CM_Locate_DevNodeW and CM_Reenumerate_DevNode return (CR_SUCCESS at reset).
void SetConfigManagerResults(DWORD locate, DWORD reenumerate);
// Re-enumerations that succeeded.
int ReenumerationCount();

}  // namespace sim

// The runs without the wizard: the unattended installation, repair and removal, and
// the listing of the catalogue (/list). Their exit codes are the Windows Installer
// values that deployment tools already know. A run nobody watches checks everything
// it can before it changes anything, and reports success only when the printer is
// there as asked.
#pragma once

#include "app/CommandLine.h"
#include "installer/PrinterInstaller.h"

namespace unattended {

constexpr int kInstalled = ERROR_SUCCESS;
constexpr int kRestartNeeded = ERROR_SUCCESS_REBOOT_REQUIRED;  // 3010
constexpr int kFailed = ERROR_INSTALL_FAILURE;                 // 1603
constexpr int kBadCommandLine = ERROR_INVALID_COMMAND_LINE;    // 1639

// Installs without a window or a box: the model given (which the catalogue must list)
// or else the attached printer the catalogue lists. Before anything is removed, checks
// the catalogue's printer name and type, the port (one of the spooler's) and the driver
// INF's model line: a fault there is a bad command line, and nothing changes. Plug and
// Play only for the attached printer's own model on its USB port; the printer-UI
// command on the port asked (LPT1: by default) otherwise. A printer already in place is
// left as it is unless /repair asks for the replacement. Success only when the printer
// then stands as asked, with the default printer and the test page as asked (the
// system account sets no default). Every step goes to the installer's step log.
int Install(CPrinterInstaller& installer, const cmdline::Options& options);

// Removes the model's printer family and the driver by the wizard's removal road: 0
// also when nothing was there, kFailed when a printer of the family or the driver stays.
int Uninstall(CPrinterInstaller& installer, const cmdline::Options& options);

// Writes the catalogue to standard output, one tab-separated line per model after a
// heading: series, model, printer name, type ("24", "9", or "-" for none the setup
// takes). kFailed when the catalogue lists no series.
int ListCatalogue(CPrinterInstaller& installer);

// The outcome an exit code stands for, for the log: of an installation, or of a removal.
const WCHAR* Outcome(int exitCode, bool removal = false);

}  // namespace unattended

// The runs without the wizard: the unattended installation (/quiet) and the listing
// of the catalogue (/list). Their exit codes are the Windows Installer values that
// deployment tools already know.
#pragma once

#include "app/CommandLine.h"
#include "installer/PrinterInstaller.h"

namespace unattended {

constexpr int kInstalled = 0;
constexpr int kRestartNeeded = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
constexpr int kFailed = 1603;         // ERROR_INSTALL_FAILURE
constexpr int kBadCommandLine = 87;   // ERROR_INVALID_PARAMETER

// Installs without a window or a box: the model given (which the catalogue must list)
// or else the attached printer the catalogue lists; on the port given, or else the
// attached printer's USB port when it is that model, or else LPT1:. Then the road of
// the finish page, with the flags of the options. Every step goes to the installer's
// step log. Returns the exit code.
int Install(CPrinterInstaller& installer, const cmdline::Options& options);

// Writes the catalogue to standard output, one tab-separated line per model after a
// heading: series, model, printer name, type ("24", "9", or "-" for none the setup
// takes). kFailed when the catalogue lists no series.
int ListCatalogue(CPrinterInstaller& installer);

// The outcome an exit code stands for, for the log.
const WCHAR* Outcome(int exitCode);

}  // namespace unattended

// What the simulated printer-UI entry and Plug and Play driver update do to the
// simulated spooler, and the INF reading they share. Internal to platform/sim.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"

namespace sim {

// Each returns ERROR_SUCCESS or the error Windows would give.
DWORD SpoolerAddDriver(const std::u16string& name);
DWORD SpoolerAddPrinter(const std::u16string& name, const std::u16string& driver, const std::u16string& port);
DWORD SpoolerSetDefault(const std::u16string& name);
DWORD SpoolerQueueTestPage(const std::u16string& name);
// The name a new printer of this model gets: the model name, or "NAME (Copy n)"
// with the lowest free n when a printer has that name already.
std::u16string SpoolerFreePrinterName(const std::u16string& model);
bool SpoolerHasPort(const std::u16string& name);
std::u16string SpoolerFirstUsbPort();

// The lines of a file on a mapped drive, decoded from the ANSI code page, without their
// line ends. False when the path is not an existing file.
bool ReadHostLines(const std::u16string& windowsPath, std::vector<std::u16string>& lines);

// A model line of an INF's models section, as Windows' INF parser sees it: blanks
// around the pieces are dropped. False when the line is not of that shape.
struct InfModelLine {
    std::u16string model;       // between the quotation marks
    std::u16string hardwareId;  // the second field after the equals sign
};
bool ParseInfModelLine(const std::u16string& line, InfModelLine& out);

// Names compared as the spooler and INF files compare them: letter case ignored.
bool NamesEqual(const std::u16string& a, const std::u16string& b);
std::string Utf8(const std::u16string& s);

}  // namespace sim

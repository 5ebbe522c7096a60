// INF files as the simulated printer-UI entry and the driver update read them.
// Internal to platform/sim.
#pragma once

#include <string>
#include <vector>

namespace sim {

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

}  // namespace sim

// A setup medium with the catalogue's printer types and the two driver INFs.
#pragma once

#include <string>

#include "tests/support/medium_fixture.h"

class DriverMediumTest : public MediumTest {
protected:
    // The catalogue's PRINTER_TYPE section, e.g. "A=24\r\nB=9\r\n".
    void WriteTypes(const std::string& lines) { WriteCatalogue("[PRINTER_TYPE]\r\n" + lines); }
    void Write24PinInf(const std::string& bytes) { WriteFile("PrinterDriver/24pin/OEMPRINT.INF", bytes); }
    void Write9PinInf(const std::string& bytes) { WriteFile("PrinterDriver/9pin/OEMPRINT.INF", bytes); }
};

// The medium checker's driver-INF half: for each catalogue printer, the model line
// the wizard's own reader takes its USB hardware ID from, the hardware ID the wizard
// passes to the driver update, and the model line in every models section the INF's
// [Manufacturer] section declares, where the system looks for the model on each kind
// of Windows; whether the hardware IDs belong to the printer's model; and, through
// DriverFilesCheck, what the model lines install.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "installer/PrinterInstaller.h"
#include "tools/medium_check/check_common.h"
#include "tools/medium_check/driver_files_check.h"
#include "tools/medium_check/inf_sections.h"

namespace medium_check {

struct CataloguePrinter {
    WString name;
    int type;                     // as the installer reads it: 1 for 24-pin, 2 for 9-pin
    int nameLine;                 // its entry in [PRINTER_NAME]
    int typeLine;                 // its entry in [PRINTER_TYPE]
    std::vector<WString> models;  // the catalogue's models of this printer name
};

class DriverInfCheck {
public:
    DriverInfCheck(CPrinterInstaller& installer, char separator, FindingList& out)
        : m_installer(installer), m_separator(separator), m_out(out)
    {}

    void Check(const CataloguePrinter& printer);
    // Each driver INF on the medium as a whole, whether a printer needs it or not: once
    // every printer is checked.
    void Finish();

private:
    struct Inf {
        bool present = false;
        std::string bytes;
        std::vector<WString> lines;  // as the wizard reads them: one byte a character
        std::vector<InfSection> sections;
        const InfSection* manufacturer = nullptr;
        std::vector<Manufacturer> makers;
        bool checked = false;  // the findings about the file as a whole are made
        bool missingReported = false;
        std::unique_ptr<DriverFilesCheck> files;
    };

    std::string Name(int type) const;
    Inf& Load(int type);
    void CheckStructure(int type, Inf& inf);
    // The wizard's reading: the first accepted model line's number (0 for none) and
    // the hardware ID as that line spells it.
    static int AcceptedLine(const Inf& inf, const WString& printer, WString* id);
    bool ReportWrongType(const CataloguePrinter& printer);
    void CheckSections(const CataloguePrinter& printer, const Inf& inf, const WString& hardwareId, int acceptedLine);
    // Whether the hardware ID is the one a printer of one of the printer's models has.
    void CheckHardwareId(const CataloguePrinter& printer, const WString& id, int line);

    CPrinterInstaller& m_installer;
    char m_separator;
    FindingList& m_out;
    std::map<int, Inf> m_infs;
};

}  // namespace medium_check

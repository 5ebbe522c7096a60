#include "tools/medium_check/driver_inf_check.h"

#include <algorithm>

#include "installer/inf_model_match.h"
#include "platform/ini_scan.h"
#include "platform/usbprint_id.h"

namespace medium_check {

namespace {

// Read by the program's own text-file reader, so that the lines and their numbers are
// the ones the wizard matches. False when the file cannot be opened.
bool ReadInfLines(const WString& path, std::vector<WString>* lines)
{
    CStdioFile file;
    if (!file.Open(path.c_str(), CStdioFile::modeRead | CStdioFile::typeText)) return false;
    CString line;
    while (file.ReadString(line)) lines->push_back(line.Str());
    return true;
}

// The lines as the system's INF parser reads them: text in the PC's ANSI code page,
// ending at LF, a CR before it dropped.
std::vector<WString> SystemLines(const std::string& bytes)
{
    std::vector<WString> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        WString text(line.size(), 0);
        int chars = line.empty() ? 0
                                 : ::MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()),
                                                         &text[0], static_cast<int>(text.size()));
        text.resize(chars > 0 ? static_cast<size_t>(chars) : 0);
        lines.push_back(text);
        start = end == std::string::npos ? bytes.size() : end + 1;
    }
    return lines;
}

bool ContainsNoCase(const WString& s, const WCHAR* part)
{
    WString p = part;
    for (size_t i = 0; i + p.size() <= s.size(); ++i)
        if (ini::SameName(s.substr(i, p.size()), p)) return true;
    return false;
}

// The kind of Windows a models section serves, from its name's decoration.
std::string WindowsOf(const WString& section)
{
    if (ContainsNoCase(section, TEXT(".NTamd64"))) return "64-bit Windows";
    if (ContainsNoCase(section, TEXT(".NTx86"))) return "32-bit Windows";
    if (ContainsNoCase(section, TEXT(".NTarm64"))) return "ARM64 Windows";
    return "the Windows that section serves";
}

}  // namespace

std::string DriverInfCheck::Name(int type) const
{
    std::string sep(1, m_separator);
    return "PrinterDriver" + sep + (type == 1 ? "24pin" : "9pin") + sep + "OEMPRINT.INF";
}

DriverInfCheck::Inf& DriverInfCheck::Load(int type)
{
    auto known = m_infs.find(type);
    if (known != m_infs.end()) return known->second;
    Inf& inf = m_infs[type];
    WString folder =
        WString(m_installer.SetupDir()) + (type == 1 ? TEXT("PrinterDriver\\24pin\\") : TEXT("PrinterDriver\\9pin\\"));
    WString path = folder + TEXT("OEMPRINT.INF");
    inf.present = IsFile(path) && ReadInfLines(path, &inf.lines) && ReadWholeFile(path, &inf.bytes);
    inf.sections = ScanInfSections(SystemLines(inf.bytes));
    inf.manufacturer = FindInfSection(inf.sections, TEXT("Manufacturer"));
    if (inf.manufacturer) inf.makers = DeclaredManufacturers(*inf.manufacturer);
    std::string shown = Name(type);
    inf.files.reset(
        new DriverFilesCheck(folder, shown.substr(0, shown.size() - 12), m_separator, shown, inf.sections, m_out));
    return inf;
}

void DriverInfCheck::CheckStructure(int type, Inf& inf)
{
    if (inf.checked) return;
    inf.checked = true;
    std::string file = Name(type);
    if (!inf.manufacturer) {
        m_out.Error(file, 0, "no [Manufacturer] section: Windows finds no model in this INF");
        return;
    }
    if (inf.makers.empty()) m_out.Error(file, inf.manufacturer->line, "[Manufacturer] declares no models section");
    for (const Manufacturer& maker : inf.makers) {
        for (const WString& name : maker.modelsSections) {
            const InfSection* section = FindInfSection(inf.sections, name);
            if (!section)
                m_out.Error(file, maker.line,
                            "[Manufacturer] declares the models section [" + Utf8(name) +
                                "], which the INF does not have: on " + WindowsOf(name) +
                                " none of its printers can be installed");
            else if (!HasModelLines(*section))
                m_out.Error(file, section->line,
                            "section [" + Utf8(name) + "], which [Manufacturer] declares on line " +
                                std::to_string(maker.line) + ", lists no models: on " + WindowsOf(name) +
                                " none of its printers can be installed");
        }
    }
}

int DriverInfCheck::AcceptedLine(const Inf& inf, const WString& printer, WString* id)
{
    WString quoted = TEXT("\"") + printer + TEXT("\"");
    WString match = inf_model_match::MatchText(quoted.c_str());
    for (size_t i = 0; i < inf.lines.size(); ++i)
        if (inf_model_match::Accept(inf.lines[i].c_str(), match.c_str(), static_cast<int>(quoted.size()), *id))
            return static_cast<int>(i) + 1;
    return 0;
}

// A printer whose model line is in the other type's INF rather than its own: the
// type is the likely mistake, not the INF.
bool DriverInfCheck::ReportWrongType(const CataloguePrinter& printer)
{
    int other = printer.type == 1 ? 2 : 1;
    Inf& inf = Load(other);
    WString id;
    int line = inf.present ? AcceptedLine(inf, printer.name, &id) : 0;
    if (!line) return false;
    m_out.Error(kCatalogueFile, printer.typeLine,
                "the type of printer " + Quoted(printer.name) + " is " + (printer.type == 1 ? "24" : "9") +
                    ", but its USB model line is in " + Name(other) + " (line " + std::to_string(line) + "), not in " +
                    Name(printer.type) + ": the type is likely wrong");
    // The rest of what that INF says of the printer is checked as if the type were right.
    CataloguePrinter moved = printer;
    moved.type = other;
    CheckStructure(other, inf);
    if (!id.empty() && !LooksBlank(id.front()) && !LooksBlank(id.back())) CheckHardwareId(moved, id, line);
    CheckSections(moved, inf, id, line);
    return true;
}

void DriverInfCheck::Check(const CataloguePrinter& printer)
{
    Inf& inf = Load(printer.type);
    std::string infName = Name(printer.type);
    std::string quoted = Quoted(printer.name);
    if (!inf.present) {
        if (ReportWrongType(printer)) return;
        if (!inf.missingReported)
            m_out.Error(infName, 0,
                        "missing: the printers of type " + std::string(printer.type == 1 ? "24" : "9") + " (such as " +
                            quoted + ", line " + std::to_string(printer.nameLine) + " of the catalogue) need it");
        inf.missingReported = true;
        return;
    }
    CheckStructure(printer.type, inf);

    // The wizard's own reader decides; the lines only say where it stopped.
    m_installer.SetPrinterName(printer.name.c_str());
    m_installer.BuildDriverInfPath();
    WString quotedName = TEXT("\"") + printer.name + TEXT("\"");
    BYTE id[inf_model_match::kHardwareIdBytes] = {0};
    int found = m_installer.FindHardwareId(m_installer.DriverInf(), quotedName.c_str(),
                                           static_cast<int>(quotedName.size()), id);
    WString lineId;
    int acceptedLine = AcceptedLine(inf, printer.name, &lineId);

    if (!found) {
        if (ReportWrongType(printer)) return;
        WString match = inf_model_match::MatchText(quotedName.c_str());
        int mixedCaseLine = 0, withoutUsbLine = 0;
        for (size_t i = 0; i < inf.lines.size(); ++i) {
            if (inf.lines[i].compare(0, match.size(), match) == 0) {
                if (!withoutUsbLine) withoutUsbLine = static_cast<int>(i) + 1;
            } else if (match != quotedName && inf.lines[i].compare(0, quotedName.size(), quotedName) == 0) {
                if (!mixedCaseLine) mixedCaseLine = static_cast<int>(i) + 1;
            }
        }
        std::string message = "no USB model line for printer " + quoted + ": a line must begin with " +
                              Quoted(inf_model_match::MatchText(printer.name.c_str())) +
                              " in quotation marks and name USB after its first comma";
        int at = 0;
        bool ascii = std::all_of(printer.name.begin(), printer.name.end(), [](WCHAR c) { return c < 0x80; });
        if (!ascii) {
            message +=
                "; the wizard reads the INF one byte per character, so a name with characters beyond "
                "ASCII never matches";
        } else if (withoutUsbLine) {
            at = withoutUsbLine;
            message += "; this line names no USB after its first comma";
        } else if (mixedCaseLine) {
            at = mixedCaseLine;
            message += "; this line writes the maker as the catalogue does, the INF must write \"KORVEL\"";
        }
        // What the system reads of the INF is checked all the same, where it lists the printer.
        bool listed = false;
        for (const InfSection& section : inf.sections) listed = listed || FindModelLine(section, printer.name, nullptr);
        if (!listed) message += "; nor does any models section list it";
        m_out.Error(infName, at, message + CommentNote(printer.name, "printer name"));
        if (listed) CheckSections(printer, inf, WString(), 0);
        return;
    }

    // What the driver update receives: the ID's bytes in the PC's ANSI code page,
    // blanks and all. No device has an ID with blanks around it.
    WString passed;
    if (!inf_model_match::WidenHardwareId(id, passed)) passed = lineId;
    if (passed.empty()) {
        m_out.Error(infName, acceptedLine,
                    "the USB model line of printer " + quoted +
                        " has an empty hardware ID (nothing between its first two commas)");
        lineId.clear();
    } else if (LooksBlank(passed.front()) || LooksBlank(passed.back())) {
        m_out.Error(infName, acceptedLine,
                    "the hardware ID " + Quoted(passed) + " of printer " + quoted +
                        " has blanks around it, which the wizard passes on to the driver update as part of the ID: "
                        "no device has that ID, so the installation fails");
        lineId.clear();
    } else {
        CheckHardwareId(printer, lineId, acceptedLine);
    }
    CheckSections(printer, inf, lineId, acceptedLine);
}

void DriverInfCheck::CheckHardwareId(const CataloguePrinter& printer, const WString& id, int line)
{
    std::string expected;
    const WString* model = nullptr;
    for (const WString& m : printer.models) {
        // The checksum of a name beyond ASCII depends on the bytes the printer sends.
        if (!std::all_of(m.begin(), m.end(), [](WCHAR c) { return c > 0 && c < 0x80; })) return;
        std::string formed = usbprint::HardwareId(kUsbMaker, Utf8(m));
        if (ini::SameName(id, text::FromUtf8(formed))) return;
        if (!model) {
            model = &m;
            expected = formed;
        }
    }
    if (!model) return;
    std::string reports = "a printer that reports MFG:" + std::string(kUsbMaker) + ";MDL:" + Utf8(*model);
    WString prefix = text::FromUtf8(expected.substr(0, expected.size() - 4));
    std::string what = "the hardware ID " + Quoted(id) + " of printer " + Quoted(printer.name);
    if (id.size() < prefix.size() || !ini::SameName(id.substr(0, prefix.size()), prefix))
        m_out.Error(Name(printer.type), line,
                    what + " does not belong to model " + Quoted(*model) + ": Windows gives " + reports + " the ID " +
                        expected +
                        " (USBPRINT\\, the maker and the model run together and cut to 20 characters, then a "
                        "checksum), so the driver update finds no device");
    else
        m_out.Error(Name(printer.type), line,
                    what + " ends in " + Quoted(id.substr(prefix.size())) + ", not in the checksum " +
                        expected.substr(expected.size() - 4) + " that Windows computes for " + reports +
                        " (its ID is " + expected + "), so the driver update finds no device");
}

void DriverInfCheck::Finish()
{
    for (int type : {1, 2}) {
        Inf& inf = Load(type);
        if (!inf.present) continue;
        CheckStructure(type, inf);
        // The kinds of Windows the models sections serve: NTx86 is x86, NTamd64 amd64.
        std::vector<WString> targets;
        for (const Manufacturer& maker : inf.makers) {
            for (const WString& section : maker.modelsSections) {
                size_t dot = section.find('.');
                if (dot == WString::npos) continue;
                WString target = section.substr(dot + 1);
                target = target.substr(0, target.find('.'));
                if (target.size() > 2 && ini::SameName(target.substr(0, 2), TEXT("NT"))) target = target.substr(2);
                if (!std::any_of(targets.begin(), targets.end(),
                                 [&](const WString& t) { return ini::SameName(t, target); }))
                    targets.push_back(target);
            }
        }
        if (targets.empty()) targets.push_back(TEXT("x86"));
        inf.files->Finish(inf.bytes, targets);
    }
}

void DriverInfCheck::CheckSections(const CataloguePrinter& printer, const Inf& inf, const WString& hardwareId,
                                   int acceptedLine)
{
    std::string infName = Name(printer.type);
    std::string quoted = Quoted(printer.name);
    // With one maker every section of it must list the printer; with several, those
    // of the makers that list it anywhere.
    std::vector<const Manufacturer*> required;
    for (const Manufacturer& maker : inf.makers) {
        bool listsIt = inf.makers.size() == 1;
        for (const WString& name : maker.modelsSections) {
            const InfSection* section = FindInfSection(inf.sections, name);
            if (section && FindModelLine(*section, printer.name, nullptr)) listsIt = true;
        }
        if (listsIt) required.push_back(&maker);
    }
    if (required.empty()) {
        if (inf.manufacturer && !inf.makers.empty())
            m_out.Error(infName, inf.manufacturer->line,
                        "no models section that [Manufacturer] declares lists printer " + quoted +
                            ": Windows cannot install it from this INF");
        return;
    }
    bool idChecked = false;
    for (const Manufacturer* maker : required) {
        for (const WString& name : maker->modelsSections) {
            const InfSection* section = FindInfSection(inf.sections, name);
            if (!section || !HasModelLines(*section)) continue;  // said once for the whole INF
            inf::ModelLine parsed;
            const InfLine* line = FindModelLine(*section, printer.name, &parsed);
            if (line) inf.files->InstallSection(*line, name, quoted);
            // Without a line the wizard reads, the system's line has its ID checked.
            if (line && acceptedLine == 0 && !idChecked && parsed.hardwareId.rfind(TEXT("USB"), 0) == 0) {
                CheckHardwareId(printer, parsed.hardwareId, line->number);
                idChecked = true;
            }
            if (!line) {
                m_out.Error(infName, section->line,
                            "section [" + Utf8(name) + "], which [Manufacturer] declares on line " +
                                std::to_string(maker->line) + ", has no model line for printer " + quoted + ": on " +
                                WindowsOf(name) + " the printer cannot be installed");
            } else if (!hardwareId.empty() && !ini::SameName(parsed.hardwareId, hardwareId)) {
                m_out.Error(infName, line->number,
                            "in section [" + Utf8(name) + "] printer " + quoted + " has the hardware ID " +
                                Quoted(parsed.hardwareId) + ", but the wizard passes " + Quoted(hardwareId) +
                                " (line " + std::to_string(acceptedLine) + "): the driver update on " +
                                WindowsOf(name) + " finds no driver for the printer");
            }
        }
    }
}

}  // namespace medium_check

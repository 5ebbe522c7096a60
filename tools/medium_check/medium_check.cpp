#include "tools/medium_check/medium_check.h"

#include <algorithm>
#include <map>

#include "installer/PrinterInstaller.h"
#include "installer/catalogue.h"
#include "installer/inf_model_match.h"
#include "platform/kernel.h"
#include "platform/text.h"

namespace medium_check {

namespace {

// The printer and port names the finish page copies out in 100-character buffers.
constexpr size_t kCarriedNameChars = 99;
// The buffer the series and model page reads a printer name into.
constexpr int kDisplayNameCapacity = 260;

std::string Utf8(const WString& s) { return text::ToUtf8(s); }
std::string Quoted(const WString& s) { return "\"" + Utf8(s) + "\""; }

// --- reading files -----------------------------------------------------------------

bool ReadWholeFile(const WString& path, std::string* bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) bytes->append(chunk, got);
    ::CloseHandle(file);
    return ok;
}

bool IsFile(const WString& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- the catalogue as lines with their numbers ---------------------------------------
// The wizard's verdicts come from its own readers; this scan only finds the line a
// finding belongs to. It follows the profile reader's rules: lines end at CR LF, LF or
// CR; blanks around a line are dropped; blank lines and lines starting with ';' are
// skipped; "[name]" starts a section; every other line is an entry.

struct Entry {
    int line;
    WString key;  // the text before the first '=', trimmed; the whole line without one
    bool hasValue;
};

struct Section {
    WString name;
    int line;
    std::vector<Entry> entries;
};

bool IsProfileBlank(WCHAR c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

WString TrimProfile(const WString& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsProfileBlank(s[b])) ++b;
    while (e > b && IsProfileBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameName(const WString& a, const WString& b)
{
    return text::EqualNoCaseAscii(a.data(), a.size(), b.data(), b.size());
}

WString DecodeCatalogue(const std::string& bytes)
{
    WString text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
        return text;
    }
    if (bytes.empty()) return text;
    int chars = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (chars <= 0) return text;
    text.resize(static_cast<size_t>(chars));
    chars = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], chars);
    text.resize(chars > 0 ? static_cast<size_t>(chars) : 0);
    return text;
}

std::vector<Section> ScanCatalogue(const WString& text)
{
    std::vector<Section> sections;
    int number = 1;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        WString line = TrimProfile(text.substr(pos, end - pos));
        int lineNumber = number;
        if (end < text.size()) {
            ++number;
            end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        }
        pos = end;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close != WString::npos && close > 0) {
                sections.push_back({TrimProfile(line.substr(1, close - 1)), lineNumber, {}});
                continue;
            }
        }
        if (sections.empty()) continue;  // before the first section: never read
        size_t eq = line.find('=');
        sections.back().entries.push_back(
            {lineNumber, eq == WString::npos ? line : TrimProfile(line.substr(0, eq)), eq != WString::npos});
    }
    return sections;
}

const Section* FindSection(const std::vector<Section>& sections, const WString& name)
{
    for (const Section& s : sections)
        if (SameName(s.name, name)) return &s;
    return nullptr;
}

const Entry* FindKey(const Section* section, const WString& key)
{
    if (!section) return nullptr;
    for (const Entry& e : section->entries)
        if (SameName(e.key, key)) return &e;
    return nullptr;
}

// Line of the first byte that is not ASCII, counting lines as ScanCatalogue does.
int FirstNonAsciiLine(const std::string& bytes, size_t* offset)
{
    int line = 1;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80) {
            *offset = i;
            return line;
        }
        if (b == '\n' || (b == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
    }
    return 0;
}

// A character that reads as a blank: the ASCII ones, and the Unicode spaces a text
// typed with an input method easily carries (no-break, ideographic, zero-width...).
bool LooksBlank(WCHAR c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 ||
           c == 0xFEFF;
}

// --- the driver INF as lines -----------------------------------------------------------
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

// --- the checker ---------------------------------------------------------------------

class Checker {
public:
    Checker(const WCHAR* setupDir, char separator) : m_separator(separator)
    {
        m_installer.SetSetupDir(setupDir);
        m_info = m_installer.InfoFile();
    }

    std::vector<Finding> Run()
    {
        if (!IsFile(m_info) || !ReadWholeFile(m_info, &m_bytes)) {
            Error(kCatalogue, 0, "missing or unreadable: the wizard finds no printer to offer");
            return Sorted();
        }
        CheckEncoding();
        m_sections = ScanCatalogue(DecodeCatalogue(m_bytes));

        CStringList series;
        if (!m_installer.GetSeriesList(series)) {
            ExplainUnlisted(TEXT("PRINTER_SERIES"), nullptr);
            return Sorted();
        }
        size_t index = 0;
        for (const CString& s : series) CheckSeries(s.Str(), index++);
        for (const WString& name : m_printerOrder) CheckPrinter(name);
        return Sorted();
    }

private:
    static constexpr const char* kCatalogue = "PrinterInfor.Inf";

    void Add(Severity severity, const std::string& file, int line, const std::string& message)
    {
        m_findings.push_back({file, line, severity, message});
    }
    void Error(const std::string& file, int line, const std::string& message)
    {
        Add(Severity::kError, file, line, message);
    }
    void Warning(const std::string& file, int line, const std::string& message)
    {
        Add(Severity::kWarning, file, line, message);
    }

    std::vector<Finding> Sorted()
    {
        // The catalogue first, then the INFs; by line within a file, in the order found.
        std::stable_sort(m_findings.begin(), m_findings.end(), [](const Finding& a, const Finding& b) {
            bool ac = a.file == kCatalogue, bc = b.file == kCatalogue;
            if (ac != bc) return ac;
            if (a.file != b.file) return a.file < b.file;
            return a.line < b.line;
        });
        return m_findings;
    }

    std::string InfName(int type) const
    {
        std::string sep(1, m_separator);
        return "PrinterDriver" + sep + (type == 1 ? "24pin" : "9pin") + sep + "OEMPRINT.INF";
    }

    void CheckEncoding()
    {
        auto byte = [&](size_t i) { return i < m_bytes.size() ? static_cast<unsigned char>(m_bytes[i]) : 0; };
        if (byte(0) == 0xFF && byte(1) == 0xFE) return;  // UTF-16LE with its byte-order mark
        if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
            Warning(kCatalogue, 1,
                    "the catalogue begins with a UTF-8 byte-order mark, which Windows does not recognise: it reads "
                    "the file in the PC's ANSI code page, mark included; save it as ASCII or as UTF-16LE with its "
                    "byte-order mark");
            return;
        }
        size_t offset = 0;
        if (int line = FirstNonAsciiLine(m_bytes, &offset))
            Warning(kCatalogue, line,
                    "the catalogue is neither ASCII nor UTF-16LE with a byte-order mark (byte " +
                        std::to_string(offset) +
                        " is not ASCII): Windows reads it in the PC's ANSI code page, so it reads differently on a PC "
                        "with another code page; save it as UTF-16LE with its byte-order mark");
    }

    // Why a listed section (PRINTER_SERIES, or a series' section) gives the wizard no
    // list. For a series, `seriesLine` is its line in PRINTER_SERIES; null for PRINTER_SERIES.
    void ExplainUnlisted(const WString& name, const Entry* seriesLine)
    {
        const Section* section = FindSection(m_sections, name);
        int at = section ? section->line : seriesLine ? seriesLine->line : 0;
        std::string what = seriesLine ? "series " + Quoted(name) : "[PRINTER_SERIES]";
        // The whole listing, through a buffer large enough for any section.
        std::vector<WCHAR> buffer(m_bytes.size() + 16, 0);
        int total =
            m_installer.ReadSection(name.c_str(), m_info.c_str(), buffer.data(), static_cast<int>(buffer.size()));
        bool explained = false;
        if (!section && total == 0) {
            Error(kCatalogue, at,
                  seriesLine ? what + " has no section [" + Utf8(name) + "] of its own, so it offers no models"
                             : "no [PRINTER_SERIES] section: the wizard offers no series");
            return;
        }
        if (total == 0) {
            Error(kCatalogue, at,
                  seriesLine ? "section [" + Utf8(name) + "] lists no models" : "[PRINTER_SERIES] lists no series");
            return;
        }
        if (total >= catalogue::kSectionCapacity - 2) {
            Error(kCatalogue, at,
                  "section [" + Utf8(name) + "] is too large for the wizard: its lines take " + std::to_string(total) +
                      " characters with their terminators, at most " + std::to_string(catalogue::kSectionCapacity - 3) +
                      " fit, so the wizard treats it as absent");
            explained = true;
        }
        // Lines too long for the entry buffer: the wizard then lists none of the section.
        int start = 0, index = 0;
        for (int i = 0; i < total; ++i) {
            if (buffer[static_cast<size_t>(i)] != 0) continue;
            int length = i - start;
            if (length >= catalogue::kEntryCapacity) {
                int line = (section && static_cast<size_t>(index) < section->entries.size())
                               ? section->entries[static_cast<size_t>(index)].line
                               : at;
                Error(kCatalogue, line,
                      "line of " + std::to_string(length) + " characters in [" + Utf8(name) +
                          "]: the wizard lists lines of at most " + std::to_string(catalogue::kEntryCapacity - 1) +
                          " characters and ignores the whole section");
                explained = true;
            }
            start = i + 1;
            ++index;
        }
        if (!explained) Error(kCatalogue, at, "the wizard cannot list section [" + Utf8(name) + "]");
    }

    // The series' line in PRINTER_SERIES is the one at the same place in the listing.
    void CheckSeries(const WString& series, size_t index)
    {
        const Section* listing = FindSection(m_sections, TEXT("PRINTER_SERIES"));
        static const Entry kNoLine = {0, WString(), false};
        const Entry* seriesLine = (listing && index < listing->entries.size()) ? &listing->entries[index] : &kNoLine;

        CStringList models;
        if (!m_installer.GetSeriesModels(series.c_str(), models)) {
            ExplainUnlisted(series, seriesLine);
            return;
        }
        const Section* section = FindSection(m_sections, series);
        size_t k = 0;
        for (const CString& m : models) {
            const WString& model = m.Str();
            int line = (section && k < section->entries.size()) ? section->entries[k].line
                       : section                                ? section->line
                                                                : 0;
            ++k;
            CheckModel(series, model, line);
        }
    }

    void CheckModel(const WString& series, const WString& model, int line)
    {
        // The reader drops ASCII blanks around a line, but keeps other blanks and, in a
        // listing, quotation marks: both become part of the model's name.
        auto odd = [](WCHAR c) { return LooksBlank(c) || c == '"' || c == '\''; };
        if (!model.empty() && (odd(model.front()) || odd(model.back())))
            Warning(kCatalogue, line,
                    "model " + Quoted(model) +
                        " begins or ends with a blank or a quotation mark, which the wizard keeps "
                        "as part of the name: a printer reports its model without it, so it is never recognised");

        auto seen = m_models.find(model);
        if (seen != m_models.end()) {
            const Listing& first = seen->second;
            Warning(kCatalogue, line,
                    "model " + Quoted(model) + " is listed again (first in series " + Quoted(first.series) + ", line " +
                        std::to_string(first.line) + "); a USB printer reporting it is placed in series " +
                        Quoted(first.series));
            return;  // its printer name is checked once
        }
        m_models[model] = {series, line};

        WCHAR name[kDisplayNameCapacity] = {0};
        if (!m_installer.GetPrinterDisplayName(model.c_str(), name, kDisplayNameCapacity)) {
            const Entry* entry = FindKey(FindSection(m_sections, TEXT("PRINTER_NAME")), model);
            if (!entry || !entry->hasValue)
                Error(kCatalogue, line, "model " + Quoted(model) + " has no entry in [PRINTER_NAME]");
            else if (!name[0])
                Error(kCatalogue, entry->line, "the printer name of model " + Quoted(model) + " is empty");
            else
                Error(kCatalogue, entry->line,
                      "the printer name of model " + Quoted(model) + " is too long for the wizard to read (at most " +
                          std::to_string(kCarriedNameChars) + " characters can be installed)");
            return;
        }
        WString printer = name;
        if (!m_printers.count(printer)) {
            const Entry* entry = FindKey(FindSection(m_sections, TEXT("PRINTER_NAME")), model);
            m_printers[printer] = entry ? entry->line : line;
            m_printerOrder.push_back(printer);
        }
    }

    void CheckPrinter(const WString& printer)
    {
        int line = m_printers[printer];
        std::string quoted = Quoted(printer);
        bool carried = true;
        if (printer.size() > kCarriedNameChars) {
            Error(kCatalogue, line,
                  "printer name " + quoted + " has " + std::to_string(printer.size()) +
                      " characters: the wizard carries at most " + std::to_string(kCarriedNameChars));
            carried = false;
        }
        if (printer.find('"') != WString::npos) {
            Error(kCatalogue, line,
                  "printer name " + quoted + " contains a quotation mark, which the printer-UI command cannot carry");
            carried = false;
        }

        int type = m_installer.GetPrinterType(printer.c_str());
        if (type < 0) {
            const Entry* entry = FindKey(FindSection(m_sections, TEXT("PRINTER_TYPE")), printer);
            if (!entry || !entry->hasValue) {
                Error(kCatalogue, line, "printer name " + quoted + " has no entry in [PRINTER_TYPE]");
            } else {
                std::vector<WCHAR> value(m_bytes.size() + 16, 0);
                ::GetPrivateProfileStringW(TEXT("PRINTER_TYPE"), printer.c_str(), nullptr, value.data(),
                                           static_cast<DWORD>(value.size()), m_info.c_str());
                Error(kCatalogue, entry->line,
                      "the type of printer " + quoted + " is " + Quoted(value.data()) + ": it must be exactly 24 or 9");
            }
            return;
        }
        if (!carried) return;
        CheckDriverLine(printer, type, line);
    }

    void CheckDriverLine(const WString& printer, int type, int catalogueLine)
    {
        if (m_installer.SetPrinterName(printer.c_str()) != text::kOk) return;
        m_installer.BuildDriverInfPath();
        WString inf = m_installer.DriverInf();
        std::string infName = InfName(type);
        std::string quoted = Quoted(printer);

        std::vector<WString> lines;
        if (!IsFile(inf) || !ReadInfLines(inf, &lines)) {
            if (m_missingInf[type]++ == 0)
                Error(infName, 0,
                      "missing: the printers of type " + std::string(type == 1 ? "24" : "9") + " (such as " + quoted +
                          ", line " + std::to_string(catalogueLine) + " of the catalogue) need it");
            return;
        }

        WString quotedName = TEXT("\"") + printer + TEXT("\"");
        int length = static_cast<int>(quotedName.size());
        BYTE id[inf_model_match::kHardwareIdBytes] = {0};
        int found = m_installer.FindHardwareId(inf.c_str(), quotedName.c_str(), length, id);

        // Where the wizard's reader stops, or why it found nothing, line by line.
        WString match = inf_model_match::MatchText(quotedName.c_str());
        int acceptedLine = 0, mixedCaseLine = 0, withoutUsbLine = 0;
        for (size_t i = 0; i < lines.size() && !acceptedLine; ++i) {
            WString lineId;
            if (inf_model_match::Accept(lines[i].c_str(), match.c_str(), length, lineId)) {
                acceptedLine = static_cast<int>(i) + 1;
            } else if (lines[i].compare(0, match.size(), match) == 0) {
                if (!withoutUsbLine) withoutUsbLine = static_cast<int>(i) + 1;
            } else if (match != quotedName && lines[i].compare(0, quotedName.size(), quotedName) == 0) {
                if (!mixedCaseLine) mixedCaseLine = static_cast<int>(i) + 1;
            }
        }

        if (!found) {
            std::string message = "no USB model line for printer " + quoted + ": a line must begin with " +
                                  Quoted(inf_model_match::MatchText(printer.c_str())) +
                                  " in quotation marks and name USB after its first comma";
            int at = 0;
            bool ascii = std::all_of(printer.begin(), printer.end(), [](WCHAR c) { return c < 0x80; });
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
            Error(infName, at, message);
            return;
        }
        WString id16;
        for (size_t i = 0; i < inf_model_match::kHardwareIdBytes && id[i]; ++i) id16 += static_cast<WCHAR>(id[i]);
        if (id16.empty()) {
            Error(infName, acceptedLine,
                  "the USB model line of printer " + quoted +
                      " has an empty hardware ID (nothing between its first two commas)");
        } else if (LooksBlank(id16.front()) || LooksBlank(id16.back())) {
            Warning(infName, acceptedLine,
                    "the hardware ID " + Quoted(id16) + " of printer " + quoted +
                        " has blanks around it, which the driver update takes as part of the ID");
        }
    }

    struct Listing {
        WString series;
        int line;
    };

    char m_separator;
    CPrinterInstaller m_installer;
    WString m_info;
    std::string m_bytes;
    std::vector<Section> m_sections;
    std::map<WString, Listing> m_models;
    std::map<WString, int> m_printers;  // printer name -> its PRINTER_NAME line
    std::vector<WString> m_printerOrder;
    std::map<int, int> m_missingInf;
    std::vector<Finding> m_findings;
};

}  // namespace

std::vector<Finding> CheckMedium(const WCHAR* setupDir, char separator) { return Checker(setupDir, separator).Run(); }

std::string FormatFinding(const Finding& f)
{
    std::string where = f.file + (f.line > 0 ? ":" + std::to_string(f.line) : std::string());
    return where + ": " + (f.severity == Severity::kError ? "error" : "warning") + ": " + f.message;
}

int Report(const std::vector<Finding>& findings, bool strict, std::FILE* out, std::FILE* summary)
{
    int errors = 0, warnings = 0;
    for (const Finding& f : findings) {
        std::fprintf(out, "%s\n", FormatFinding(f).c_str());
        (f.severity == Severity::kError ? errors : warnings) += 1;
    }
    std::fflush(out);
    if (errors || warnings)
        std::fprintf(summary, "%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
                     warnings == 1 ? "" : "s");
    return (errors || (strict && warnings)) ? 1 : 0;
}

bool ParseArguments(const std::vector<std::string>& args, bool* strict, std::string* folder)
{
    *strict = false;
    folder->clear();
    for (const std::string& a : args) {
        if (a == "--strict")
            *strict = true;
        else if (!a.empty() && a[0] == '-')
            return false;
        else if (folder->empty())
            *folder = a;
        else
            return false;
    }
    return !folder->empty();
}

const char* Usage()
{
    return "usage: korvel-medium-check [--strict] MEDIUM_FOLDER\n"
           "Checks a setup medium (PrinterInfor.Inf and PrinterDriver\\...\\OEMPRINT.INF) as the wizard reads it.\n"
           "Exit status: 0 no errors, 1 errors (or warnings with --strict), 2 bad usage or no such folder.\n";
}

}  // namespace medium_check

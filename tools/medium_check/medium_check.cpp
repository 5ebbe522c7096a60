#include "tools/medium_check/medium_check.h"

#include <algorithm>
#include <map>

#include "installer/PrinterInstaller.h"
#include "installer/catalogue.h"
#include "installer/printer_family.h"
#include "platform/ini_scan.h"
#include "platform/kernel.h"
#include "platform/text.h"
#include "tools/medium_check/closest_name.h"
#include "tools/medium_check/driver_inf_check.h"

namespace medium_check {

namespace {

// The printer name the wizard carries from page to page, without its NUL.
constexpr size_t kCarriedNameChars = CPrinterInstaller::kNameCapacity - 1;
// The buffer the series and model page reads a printer name into.
constexpr int kDisplayNameCapacity = 260;

// --- the catalogue as lines with their numbers ---------------------------------------
// The wizard's verdicts come from its own readers; the scan only finds the line a
// finding belongs to, by the profile functions' own rules (platform/ini_scan.h).

using ini::Entry;
using ini::Section;

WString DecodeCatalogue(const std::string& bytes)
{
    WString text;
    if (ini::DecodeMarkedUtf16(bytes, &text) || bytes.empty()) return text;
    int chars = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (chars <= 0) return text;
    text.resize(static_cast<size_t>(chars));
    chars = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], chars);
    text.resize(chars > 0 ? static_cast<size_t>(chars) : 0);
    return text;
}

const Entry* FindKey(const Section* section, const WString& key)
{
    return section ? ini::FindEntry(*section, key) : nullptr;
}

// A value as the profile functions return it: without matching quotation marks.
WString Unquoted(const WString& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool AnySameName(const std::vector<WString>& names, const WString& name)
{
    return std::any_of(names.begin(), names.end(), [&](const WString& n) { return ini::SameName(n, name); });
}

// Line of the first byte that is not ASCII, counting lines as the scan does.
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

// --- the checker ---------------------------------------------------------------------

class Checker {
public:
    Checker(const WCHAR* setupDir, char separator) : m_drivers(m_installer, separator, m_out)
    {
        m_installer.SetSetupDir(setupDir);
        m_info = m_installer.InfoFile();
    }

    std::vector<Finding> Run()
    {
        if (!IsFile(m_info) || !ReadWholeFile(m_info, &m_bytes)) {
            Error(kCatalogueFile, 0, "missing or unreadable: the wizard finds no printer to offer");
            m_drivers.Finish();
            return Sorted();
        }
        CheckEncoding();
        m_sections = ini::Scan(DecodeCatalogue(m_bytes));
        m_names = ini::FindSection(m_sections, TEXT("PRINTER_NAME"));
        m_types = ini::FindSection(m_sections, TEXT("PRINTER_TYPE"));

        CStringList series;
        m_read = {TEXT("PRINTER_SERIES"), TEXT("PRINTER_NAME"), TEXT("PRINTER_TYPE")};
        if (!m_installer.GetSeriesList(series)) {
            ExplainUnlisted(TEXT("PRINTER_SERIES"), nullptr);
            m_drivers.Finish();
            return Sorted();
        }
        for (const CString& s : series) m_read.push_back(s.Str());
        size_t index = 0;
        for (const CString& s : series) CollectSeries(s.Str(), index++);
        // Which keys no model uses is known once every model is listed, and which no
        // printer uses once every printer name is read (and the hints for them given).
        m_unusedNames = Unused(m_names, m_mentionedModels);
        for (const Listing& listing : m_modelOrder) CheckPrinterName(listing);
        m_typeUsers = TypeUsers();
        m_unusedTypes = Unused(m_types, m_typeUsers);
        for (const WString& name : m_printerOrder) CheckPrinter(name);
        CheckFamilies();
        WarnUnused(m_names, m_mentionedModels, "model", "no series lists it");
        WarnUnused(m_types, m_typeUsers, "printer", "no model has this printer name");
        WarnUnreadSections();
        m_drivers.Finish();
        return Sorted();
    }

private:
    struct Listing {
        WString model;
        WString series;
        int line;
    };

    void Error(const std::string& file, int line, const std::string& message) { m_out.Error(file, line, message); }
    void Warning(const std::string& file, int line, const std::string& message) { m_out.Warning(file, line, message); }

    std::vector<Finding> Sorted()
    {
        // The catalogue first, then the INFs; by line within a file, in the order found.
        std::vector<Finding>& all = m_out.All();
        std::stable_sort(all.begin(), all.end(), [](const Finding& a, const Finding& b) {
            bool ac = a.file == kCatalogueFile, bc = b.file == kCatalogueFile;
            if (ac != bc) return ac;
            if (a.file != b.file) return a.file < b.file;
            return a.line < b.line;
        });
        return all;
    }

    void CheckEncoding()
    {
        auto byte = [&](size_t i) { return i < m_bytes.size() ? static_cast<unsigned char>(m_bytes[i]) : 0; };
        if (byte(0) == 0xFF && byte(1) == 0xFE) return;  // UTF-16LE with its byte-order mark
        if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
            Warning(kCatalogueFile, 1,
                    "the catalogue begins with a UTF-8 byte-order mark, which Windows does not recognise: it reads "
                    "the file in the PC's ANSI code page, mark included; save it as ASCII or as UTF-16LE with its "
                    "byte-order mark");
            return;
        }
        size_t offset = 0;
        int line = FirstNonAsciiLine(m_bytes, &offset);
        if (!line) return;
        // Saved as UTF-8 without its mark, as editors do: the names a finding quotes are
        // the ones Windows reads, so show how this PC reads the first such line.
        if (IsUtf8(m_bytes)) {
            size_t begin = m_bytes.rfind('\n', offset), end = m_bytes.find_first_of("\r\n", offset);
            begin = begin == std::string::npos ? 0 : begin + 1;
            std::string written = m_bytes.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
            Warning(kCatalogueFile, line,
                    "the catalogue is saved as UTF-8 without a byte-order mark, which Windows does not recognise: it "
                    "reads the file in the PC's ANSI code page (code page " +
                        std::to_string(::GetACP()) + " here), so this line, " + Quoted(text::FromUtf8(written)) +
                        ", reads " + Quoted(DecodeCatalogue(written)) +
                        " and the findings quote it so; save the catalogue as UTF-16LE with its byte-order mark");
            return;
        }
        Warning(kCatalogueFile, line,
                "the catalogue is neither ASCII nor UTF-16LE with a byte-order mark (byte " + std::to_string(offset) +
                    " is not ASCII): Windows reads it in the PC's ANSI code page, so it reads differently on a PC "
                    "with another code page; save it as UTF-16LE with its byte-order mark");
    }

    // Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates).
    static bool IsUtf8(const std::string& bytes)
    {
        for (size_t i = 0; i < bytes.size();) {
            unsigned char b = static_cast<unsigned char>(bytes[i]);
            size_t n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 9;
            if (n == 9 || i + n >= bytes.size()) return false;
            unsigned long c = n == 0 ? b : b & (0x3F >> n);
            for (size_t k = 1; k <= n; ++k) {
                unsigned char t = static_cast<unsigned char>(bytes[i + k]);
                if ((t & 0xC0) != 0x80) return false;
                c = (c << 6) | (t & 0x3F);
            }
            static const unsigned long kLeast[] = {0, 0x80, 0x800, 0x10000};
            if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
            i += n + 1;
        }
        return true;
    }

    // The sections of the catalogue that the wizard does not read: of a name it never
    // asks for, or after an earlier one of the same name (only the first counts).
    std::vector<const Section*> UnreadSections() const
    {
        std::vector<const Section*> unread;
        for (const Section& s : m_sections)
            if (!AnySameName(m_read, s.name) || ini::FindSection(m_sections, s.name) != &s) unread.push_back(&s);
        return unread;
    }

    // "; did you mean [NAME] on line N?" for the unread section closest to a section
    // the wizard reads but does not find.
    std::string SectionHint(const WString& wanted)
    {
        std::vector<const Section*> unread = UnreadSections();
        std::vector<WString> names;
        for (const Section* s : unread)
            names.push_back(AnySameName(m_read, s->name) ? WString() : s->name);  // a repeat is no near miss
        int closest = ClosestName(wanted, names);
        if (closest < 0) return std::string();
        const Section* s = unread[static_cast<size_t>(closest)];
        m_hintedSections.push_back(s->line);
        return "; did you mean [" + Utf8(s->name) + "] on line " + std::to_string(s->line) + "?";
    }

    // A missing keyed section is one finding, not one for each name looked up in it.
    void ReportMissingSection(const WString& name, const std::string& consequence)
    {
        Error(kCatalogueFile, 0, "no [" + Utf8(name) + "] section: " + consequence + SectionHint(name));
    }

    void WarnUnreadSections()
    {
        for (const Section* s : UnreadSections()) {
            if (std::find(m_hintedSections.begin(), m_hintedSections.end(), s->line) != m_hintedSections.end())
                continue;
            if (const Section* first = ini::FindSection(m_sections, s->name); first != s) {
                Warning(kCatalogueFile, s->line,
                        "section [" + Utf8(s->name) + "] is never read: the one on line " +
                            std::to_string(first->line) + " has the same name, and the first one counts");
                continue;
            }
            int closest = ClosestName(s->name, m_read);
            Warning(kCatalogueFile, s->line,
                    "section [" + Utf8(s->name) + "] is read by nothing" +
                        (closest >= 0 ? "; did you mean [" + Utf8(m_read[static_cast<size_t>(closest)]) + "]?"
                                      : ": the wizard reads [PRINTER_SERIES], a section for each series it lists, "
                                        "[PRINTER_NAME] and [PRINTER_TYPE]"));
        }
    }

    // Why a listed section (PRINTER_SERIES, or a series' section) gives the wizard no
    // list. For a series, `seriesLine` is its line in PRINTER_SERIES; null for PRINTER_SERIES.
    void ExplainUnlisted(const WString& name, const Entry* seriesLine)
    {
        const Section* section = ini::FindSection(m_sections, name);
        int at = section ? section->line : seriesLine ? seriesLine->line : 0;
        std::string what = seriesLine ? "series " + Quoted(name) : "[PRINTER_SERIES]";
        // The whole listing, through a buffer large enough for any section.
        std::vector<WCHAR> buffer(m_bytes.size() + 16, 0);
        int total =
            m_installer.ReadSection(name.c_str(), m_info.c_str(), buffer.data(), static_cast<int>(buffer.size()));
        bool explained = false;
        if (!section && total == 0) {
            if (seriesLine)
                Error(kCatalogueFile, at,
                      what + " has no section [" + Utf8(name) + "] of its own, so it offers no models" +
                          SectionHint(name) + CommentNote(name, "series name"));
            else
                ReportMissingSection(name, "the wizard offers no series");
            return;
        }
        if (total == 0) {
            Error(kCatalogueFile, at,
                  seriesLine ? "section [" + Utf8(name) + "] lists no models" : "[PRINTER_SERIES] lists no series");
            return;
        }
        if (total >= catalogue::kSectionCapacity - 2) {
            Error(kCatalogueFile, at,
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
                Error(kCatalogueFile, line,
                      "line of " + std::to_string(length) + " characters in [" + Utf8(name) +
                          "]: the wizard lists lines of at most " + std::to_string(catalogue::kEntryCapacity - 1) +
                          " characters and ignores the whole section");
                explained = true;
            }
            start = i + 1;
            ++index;
        }
        if (!explained) Error(kCatalogueFile, at, "the wizard cannot list section [" + Utf8(name) + "]");
    }

    // The series' line in PRINTER_SERIES is the one at the same place in the listing.
    void CollectSeries(const WString& series, size_t index)
    {
        const Section* listing = ini::FindSection(m_sections, TEXT("PRINTER_SERIES"));
        static const Entry kNoLine;
        const Entry* seriesLine = (listing && index < listing->entries.size()) ? &listing->entries[index] : &kNoLine;
        const Section* section = ini::FindSection(m_sections, series);

        CStringList models;
        if (!m_installer.GetSeriesModels(series.c_str(), models)) {
            ExplainUnlisted(series, seriesLine);
            // Its lines still mean models: their entries are not leftovers.
            if (section)
                for (const Entry& e : section->entries)
                    m_mentionedModels.push_back(e.hasValue ? e.name + TEXT("=") + e.value : e.name);
            return;
        }
        size_t k = 0;
        for (const CString& m : models) {
            int line = (section && k < section->entries.size()) ? section->entries[k].line
                       : section                                ? section->line
                                                                : 0;
            ++k;
            CollectModel(series, m.Str(), line);
        }
    }

    void CollectModel(const WString& series, const WString& model, int line)
    {
        // The reader drops ASCII blanks around a line, but keeps other blanks and, in a
        // listing, quotation marks: both become part of the model's name.
        auto odd = [](WCHAR c) { return LooksBlank(c) || c == '"' || c == '\''; };
        if (!model.empty() && (odd(model.front()) || odd(model.back())))
            Warning(kCatalogueFile, line,
                    "model " + Quoted(model) +
                        " begins or ends with a blank or a quotation mark, which the wizard keeps "
                        "as part of the name: a printer reports its model without it, so it is never recognised");

        auto seen = m_modelIndex.find(model);
        if (seen != m_modelIndex.end()) {
            const Listing& first = m_modelOrder[seen->second];
            Warning(kCatalogueFile, line,
                    "model " + Quoted(model) + " is listed again (first in series " + Quoted(first.series) + ", line " +
                        std::to_string(first.line) + "); a USB printer reporting it is placed in series " +
                        Quoted(first.series));
            return;  // its printer name is checked once
        }
        m_modelIndex[model] = m_modelOrder.size();
        m_modelOrder.push_back({model, series, line});
        m_mentionedModels.push_back(model);
    }

    void CheckPrinterName(const Listing& listing)
    {
        const WString& model = listing.model;
        WCHAR name[kDisplayNameCapacity] = {0};
        if (!m_installer.GetPrinterDisplayName(model.c_str(), name, kDisplayNameCapacity)) {
            const Entry* entry = FindKey(m_names, model);
            if (!m_names) {
                if (!m_namesMissingReported)
                    ReportMissingSection(TEXT("PRINTER_NAME"),
                                         "no model has a printer name, so the wizard installs none");
                m_namesMissingReported = true;
            } else if (!entry || !entry->hasValue)
                Error(kCatalogueFile, listing.line,
                      "model " + Quoted(model) + " has no entry in [PRINTER_NAME]" + CommentNote(model, "model") +
                          Hint(m_unusedNames, model));
            else if (!name[0])
                Error(kCatalogueFile, entry->line, "the printer name of model " + Quoted(model) + " is empty");
            else
                Error(kCatalogueFile, entry->line,
                      "the printer name of model " + Quoted(model) + " is too long for the wizard to read (at most " +
                          std::to_string(kCarriedNameChars) + " characters can be installed)");
            return;
        }
        WString printer = name;
        m_printerModels[printer].push_back(model);
        if (!m_printers.count(printer)) {
            const Entry* entry = FindKey(m_names, model);
            m_printers[printer] = entry ? entry->line : listing.line;
            m_printerOrder.push_back(printer);
        }
    }

    void CheckPrinter(const WString& printer)
    {
        int line = m_printers[printer];
        std::string quoted = Quoted(printer);
        bool carried = true;
        if (printer.size() > kCarriedNameChars) {
            Error(kCatalogueFile, line,
                  "printer name " + quoted + " has " + std::to_string(printer.size()) +
                      " characters: the wizard carries at most " + std::to_string(kCarriedNameChars));
            carried = false;
        }
        if (printer.find('"') != WString::npos) {
            Error(kCatalogueFile, line,
                  "printer name " + quoted + " contains a quotation mark, which the printer-UI command cannot carry");
            carried = false;
        }

        int type = m_installer.GetPrinterType(printer.c_str());
        const Entry* entry = FindKey(m_types, printer);
        if (type < 0) {
            if (!m_types) {
                if (!m_typesMissingReported)
                    ReportMissingSection(TEXT("PRINTER_TYPE"), "no printer has a type, so the wizard installs none");
                m_typesMissingReported = true;
            } else if (!entry || !entry->hasValue) {
                Error(kCatalogueFile, line,
                      "printer name " + quoted + " has no entry in [PRINTER_TYPE]" +
                          CommentNote(printer, "printer name") + Hint(m_unusedTypes, printer));
            } else {
                std::vector<WCHAR> value(m_bytes.size() + 16, 0);
                ::GetPrivateProfileStringW(TEXT("PRINTER_TYPE"), printer.c_str(), nullptr, value.data(),
                                           static_cast<DWORD>(value.size()), m_info.c_str());
                Error(kCatalogueFile, entry->line,
                      "the type of printer " + quoted + " is " + Quoted(value.data()) + ": it must be exactly 24 or 9" +
                          CommentNote(value.data(), "type"));
            }
            return;
        }
        if (carried) m_drivers.Check({printer, type, line, entry ? entry->line : line, m_printerModels[printer]});
    }

    // Installing a printer removes every installed printer of its family: its own name
    // in any letter case and its copy names. Two catalogue printers of one family
    // therefore remove each other.
    void CheckFamilies()
    {
        auto line = [this](const WString& name) { return " (line " + std::to_string(m_printers[name]) + ")"; };
        auto copyOf = [&](const WString& copy, const WString& name) {
            Error(kCatalogueFile, m_printers[copy],
                  "printer name " + Quoted(copy) + " is a copy name of " + Quoted(name) + line(name) + ": installing " +
                      Quoted(name) + " removes the printer " + Quoted(copy));
        };
        for (size_t i = 0; i < m_printerOrder.size(); ++i) {
            for (size_t j = i + 1; j < m_printerOrder.size(); ++j) {
                const WString& a = m_printerOrder[i];
                const WString& b = m_printerOrder[j];
                if (printer_family::IsSameName(b.c_str(), a.c_str()))
                    Error(kCatalogueFile, m_printers[b],
                          "printer names " + Quoted(b) + " and " + Quoted(a) + line(a) +
                              " differ only in letter case: Windows takes them for one printer, so installing "
                              "either removes the other");
                else if (printer_family::IsCopyName(b.c_str(), a.c_str()))
                    copyOf(b, a);
                else if (printer_family::IsCopyName(a.c_str(), b.c_str()))
                    copyOf(a, b);
            }
        }
    }

    // The entries of a keyed section that are read (the first of each name) and that
    // no name in `users` looks up.
    std::vector<const Entry*> Unused(const Section* section, const std::vector<WString>& users) const
    {
        std::vector<const Entry*> unused;
        if (!section) return unused;
        for (const Entry& e : section->entries)
            if (ini::FindEntry(*section, e.name) == &e && !AnySameName(users, e.name)) unused.push_back(&e);
        return unused;
    }

    // "; did you mean "KEY" on line N?" for the unused key closest to a name not found.
    std::string Hint(const std::vector<const Entry*>& unused, const WString& wanted)
    {
        std::vector<WString> keys;
        for (const Entry* e : unused) keys.push_back(e->name);
        // A name with a ';' inside most likely meant the text before it.
        size_t semicolon = wanted.find(';');
        WString meant = semicolon == WString::npos ? wanted : ini::Trim(wanted.substr(0, semicolon));
        int closest = ClosestName(meant, keys);
        if (closest < 0) return std::string();
        const Entry* e = unused[static_cast<size_t>(closest)];
        m_hinted.push_back(e->line);
        return "; did you mean " + Quoted(e->name) + " on line " + std::to_string(e->line) + "?";
    }

    bool Hinted(int line) const { return std::find(m_hinted.begin(), m_hinted.end(), line) != m_hinted.end(); }

    // The names that look up [PRINTER_TYPE]: the printer names read, and the names in
    // the entries of [PRINTER_NAME] that a model uses (or was given as its hint) but
    // the wizard could not read.
    std::vector<WString> TypeUsers() const
    {
        std::vector<WString> users = m_printerOrder;
        if (m_names)
            for (const Entry& e : m_names->entries)
                if (e.hasValue && (AnySameName(m_mentionedModels, e.name) || Hinted(e.line)))
                    users.push_back(Unquoted(e.value));
        return users;
    }

    void WarnUnused(const Section* section, const std::vector<WString>& users, const std::string& user,
                    const std::string& why)
    {
        if (!section) return;
        std::string where = " in [" + Utf8(section->name) + "]";
        for (const Entry& e : section->entries) {
            const Entry* first = ini::FindEntry(*section, e.name);
            if (first != &e) {
                Warning(kCatalogueFile, e.line,
                        "entry " + Quoted(e.name) + where + " is never read: the one on line " +
                            std::to_string(first->line) + " has the same name, and the first one counts");
            } else if (!AnySameName(users, e.name) && !Hinted(e.line)) {
                Warning(kCatalogueFile, e.line,
                        "entry " + Quoted(e.name) + where + " is used by no " + user + ": " + why);
            }
        }
    }

    CPrinterInstaller m_installer;
    FindingList m_out;
    DriverInfCheck m_drivers;
    WString m_info;
    std::string m_bytes;
    std::vector<Section> m_sections;
    const Section* m_names = nullptr;        // [PRINTER_NAME] as the profile functions read it
    const Section* m_types = nullptr;        // [PRINTER_TYPE]
    std::vector<Listing> m_modelOrder;       // each model once, where it is first listed
    std::map<WString, size_t> m_modelIndex;  // model -> its place in m_modelOrder
    std::vector<WString> m_mentionedModels;  // and the lines of series the wizard cannot list
    std::map<WString, int> m_printers;       // printer name -> its PRINTER_NAME line
    std::vector<WString> m_printerOrder;
    std::vector<const Entry*> m_unusedNames;  // keys of [PRINTER_NAME] no model uses
    std::vector<WString> m_typeUsers;
    std::vector<const Entry*> m_unusedTypes;
    std::vector<int> m_hinted;                                // lines of entries given as hints
    std::map<WString, std::vector<WString>> m_printerModels;  // printer name -> its models
    std::vector<WString> m_read;                              // the sections the wizard reads
    std::vector<int> m_hintedSections;                        // lines of sections given as hints
    bool m_namesMissingReported = false;
    bool m_typesMissingReported = false;
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

bool WantsHelp(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h" || a == "/?"; });
}

int ReadCommandLine(const std::vector<std::string>& args, bool* strict, std::string* folder, std::FILE* out,
                    std::FILE* err)
{
    if (WantsHelp(args)) {
        std::fputs(Usage(), out);
        return 0;
    }
    if (!ParseArguments(args, strict, folder)) {
        std::fputs(Usage(), err);
        return 2;
    }
    return kGoOn;
}

const char* Usage()
{
    return "usage: korvel-medium-check [--strict] MEDIUM_FOLDER\n"
           "       korvel-medium-check --help\n"
           "Checks a setup medium (PrinterInfor.Inf and PrinterDriver\\...\\OEMPRINT.INF with the files they\n"
           "install) as the wizard and Windows read it, and prints each finding as FILE:LINE: error|warning: TEXT.\n"
           "  --strict   warnings fail the check too\n"
           "Exit status: 0 no errors, 1 errors (or warnings with --strict), 2 bad usage or no such folder.\n";
}

}  // namespace medium_check

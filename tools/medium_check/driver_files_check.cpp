#include "tools/medium_check/driver_files_check.h"

#include "platform/ini_scan.h"
#include "tools/medium_check/closest_name.h"

namespace medium_check {

namespace {

WString Upper(const WString& s)
{
    WString u = s;
    for (WCHAR& c : u) c = text::UpperCase(c);
    return u;
}

bool EndsWithNoCase(const WString& s, const WCHAR* end)
{
    WString e = end;
    return s.size() >= e.size() && ini::SameName(s.substr(s.size() - e.size()), e);
}

// The kind of Windows an architecture decoration (x86, amd64) stands for.
std::string WindowsOfArch(const WString& arch)
{
    if (ini::SameName(arch, TEXT("amd64"))) return "64-bit Windows";
    if (ini::SameName(arch, TEXT("x86"))) return "32-bit Windows";
    return Utf8(arch) + " Windows";
}

// A relative path with either separator, as the file functions take it.
WString Backslashed(WString path)
{
    for (WCHAR& c : path)
        if (c == '/') c = '\\';
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    return path;
}

}  // namespace

DriverFilesCheck::DriverFilesCheck(const WString& folder, const std::string& shownFolder, char separator,
                                   const std::string& file, const std::vector<InfSection>& sections, FindingList& out)
    : m_folder(folder),
      m_shownFolder(shownFolder),
      m_separator(separator),
      m_file(file),
      m_sections(sections),
      m_out(out)
{}

std::string DriverFilesCheck::Shown(const WString& relative) const
{
    std::string shown = Utf8(Backslashed(relative));
    for (char& c : shown)
        if (c == '\\') c = m_separator;
    return m_shownFolder + shown;
}

void DriverFilesCheck::InstallSection(const InfLine& modelLine, const WString& modelsSection,
                                      const std::string& printer)
{
    WString name = modelLine.fields.empty() ? WString() : ExpandStrings(m_sections, modelLine.fields[0]);
    if (name.empty()) {
        m_out.Error(m_file, modelLine.number,
                    "the model line of printer " + printer + " in [" + Utf8(modelsSection) +
                        "] names no install section: Windows cannot install the printer from it");
        return;
    }
    // Windows takes the most decorated install section there is: [NAME.NTamd64] before
    // [NAME.NT] before [NAME] for a models section decorated NTamd64.
    size_t dot = modelsSection.find('.');
    WString target = dot == WString::npos ? WString() : modelsSection.substr(dot + 1);
    target = target.substr(0, target.find('.'));
    std::vector<WString> candidates;
    if (!target.empty()) candidates.push_back(name + TEXT(".") + target);
    if (target.size() >= 2 && ini::SameName(target.substr(0, 2), TEXT("NT"))) candidates.push_back(name + TEXT(".NT"));
    candidates.push_back(name);
    for (const WString& candidate : candidates) {
        if (const InfSection* section = FindInfSection(m_sections, candidate)) {
            CheckInstallSection(section->name, section->line);
            return;
        }
    }
    std::string also;
    for (size_t i = 0; i + 1 < candidates.size(); ++i)
        also += (also.empty() ? ", nor [" : " or [") + Utf8(candidates[i]) + "]";
    std::vector<WString> names;
    for (const InfSection& s : m_sections) names.push_back(s.name);
    int closest = ClosestName(name, names);
    m_out.Error(m_file, modelLine.number,
                "the model line of printer " + printer + " in [" + Utf8(modelsSection) +
                    "] names the install section [" + Utf8(name) + "], which the INF does not have" + also +
                    ": Windows cannot install the printer" +
                    (closest < 0 ? std::string()
                                 : "; did you mean [" + Utf8(names[static_cast<size_t>(closest)]) + "] on line " +
                                       std::to_string(m_sections[static_cast<size_t>(closest)].line) + "?"));
}

bool DriverFilesCheck::SectionNamed(const WString& name, int line, const std::string& by, bool systemInfs)
{
    if (FindInfSection(m_sections, name)) return true;
    if (systemInfs) return false;  // a section of a system INF the install section includes
    std::vector<WString> names;
    for (const InfSection& s : m_sections) names.push_back(s.name);
    int closest = ClosestName(name, names);
    m_out.Error(m_file, line,
                "[" + Utf8(name) + "], which " + by + " names, is not in the INF" +
                    (closest < 0 ? std::string()
                                 : "; did you mean [" + Utf8(names[static_cast<size_t>(closest)]) + "] on line " +
                                       std::to_string(m_sections[static_cast<size_t>(closest)].line) + "?") +
                    ": Windows cannot install the printers whose install section it is");
    return false;
}

void DriverFilesCheck::CheckInstallSection(const WString& name, int line)
{
    if (!m_checked.insert(Upper(name)).second) return;
    std::vector<const InfLine*> lines = InfSectionLines(m_sections, name);
    bool systemInfs = false;  // Include= brings in system INFs, whose sections and files the INF may use
    for (const InfLine* l : lines)
        if (l->hasKey && ini::SameName(l->key, TEXT("Include"))) systemInfs = true;
    std::string section = "[" + Utf8(name) + "]";
    if (lines.empty()) {
        m_out.Error(m_file, line, "install section " + section + " is empty: it installs no driver");
        return;
    }
    for (const InfLine* l : lines) {
        if (!l->hasKey) continue;
        if (ini::SameName(l->key, TEXT("CopyFiles"))) {
            for (const WString& field : l->fields) {
                WString value = ExpandStrings(m_sections, field);
                if (value.empty()) continue;
                if (value[0] == '@') {
                    m_named.push_back({value.substr(1), l->number, section + " copies", true, false});
                } else if (SectionNamed(value, l->number, "CopyFiles of " + section, false)) {
                    for (const InfLine* entry : InfSectionLines(m_sections, value)) {
                        if (entry->fields.empty()) continue;
                        // destination[,source[,temporary[,flags]]]: the medium holds the source.
                        WString source =
                            entry->fields.size() > 1 && !entry->fields[1].empty() ? entry->fields[1] : entry->fields[0];
                        if (entry->hasKey) source = entry->key;
                        m_named.push_back({ExpandStrings(m_sections, source), entry->number,
                                           "[" + Utf8(value) + "] lists for copying", true, false});
                    }
                }
            }
        } else if (ini::SameName(l->key, TEXT("DataSection"))) {
            for (const WString& field : l->fields) {
                WString value = ExpandStrings(m_sections, field);
                if (!value.empty() && SectionNamed(value, l->number, "DataSection of " + section, systemInfs))
                    for (const InfLine* entry : InfSectionLines(m_sections, value))
                        NameFiles(value, *entry, systemInfs);
            }
        } else if (ini::SameName(l->key, TEXT("Needs"))) {
            for (const WString& field : l->fields)
                if (!field.empty())
                    SectionNamed(ExpandStrings(m_sections, field), l->number, "Needs of " + section, systemInfs);
        } else {
            NameFiles(name, *l, systemInfs);
        }
    }
}

// DriverFile=, DataFile=, ConfigFile= and HelpFile= name a file of the driver.
void DriverFilesCheck::NameFiles(const WString& section, const InfLine& line, bool systemInfs)
{
    if (!line.hasKey || line.fields.empty() || line.fields[0].empty()) return;
    for (const WCHAR* key : {TEXT("DriverFile"), TEXT("DataFile"), TEXT("ConfigFile"), TEXT("HelpFile")})
        if (ini::SameName(line.key, key))
            m_named.push_back({ExpandStrings(m_sections, line.fields[0]), line.number,
                               Utf8(key) + " of [" + Utf8(section) + "] names", false, systemInfs});
}

void DriverFilesCheck::CheckFile(const Named& file, const std::string& arch)
{
    WString warch = text::FromUtf8(arch);
    auto once = [this](const std::string& key) { return m_reported.insert(key).second; };
    const InfLine* listed = FindInfKey(m_sections, TEXT("SourceDisksFiles.") + warch, file.file);
    if (!listed) listed = FindInfKey(m_sections, TEXT("SourceDisksFiles"), file.file);
    if (!listed) {
        if (once("unlisted " + Utf8(Upper(file.file))))
            m_out.Error(m_file, file.line,
                        "the file " + Utf8(file.file) + ", which " + file.why +
                            ", is not listed in [SourceDisksFiles]: Windows cannot tell where on the medium it is, so "
                            "the installation fails");
        return;
    }
    WString disk = listed->fields.empty() ? WString() : listed->fields[0];
    WString subdir = listed->fields.size() > 1 ? listed->fields[1] : WString();
    std::string namesSection = "SourceDisksNames." + arch;
    const InfLine* names = FindInfKey(m_sections, text::FromUtf8(namesSection), disk);
    if (!names && !FindInfSection(m_sections, text::FromUtf8(namesSection))) {
        namesSection = "SourceDisksNames";
        names = FindInfKey(m_sections, TEXT("SourceDisksNames"), disk);
    }
    if (!names) {
        if (once("disk " + Utf8(Upper(disk)) + " " + namesSection))
            m_out.Error(m_file, listed->number,
                        "[SourceDisksFiles] puts " + Utf8(file.file) + " on disk \"" + Utf8(disk) + "\", which [" +
                            namesSection + "] does not describe, so the installation on " + WindowsOfArch(warch) +
                            " cannot find the file and fails");
        return;
    }
    WString path = names->fields.size() > 3 ? ExpandStrings(m_sections, names->fields[3]) : WString();
    WString tag = names->fields.size() > 1 ? names->fields[1] : WString();
    WString relative;
    for (const WString& part : {path, subdir})
        if (!Backslashed(part).empty()) relative += Backslashed(part) + TEXT("\\");
    // A disk whose tag is a cabinet holds its files inside it: the cabinet must be there.
    relative += EndsWithNoCase(tag, TEXT(".cab")) ? tag : file.file;
    if (IsFile(m_folder + Backslashed(relative))) return;
    if (once("missing " + Utf8(Upper(Backslashed(relative)))))
        m_out.Error(m_file, file.line,
                    "the file " + Utf8(file.file) + ", which " + file.why +
                        ", is not on the medium: Windows looks for it at " + Shown(relative) +
                        " ([SourceDisksFiles] line " + std::to_string(listed->number) + ", [" + namesSection +
                        "] line " + std::to_string(names->number) + "), so the installation fails");
}

void DriverFilesCheck::Finish(const std::string& bytes, const std::vector<WString>& targets)
{
    // The system's INF parser and the wizard's line reader end a line at LF alone and
    // drop a CR before it; a CR alone ends nothing.
    int line = 1, loneCr = 0, more = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) {
            if (loneCr)
                ++more;
            else
                loneCr = line;
        }
        if (bytes[i] == '\n') ++line;
    }
    if (loneCr)
        m_out.Error(m_file, loneCr,
                    "this line ends in a CR without LF" +
                        (more ? " (as do " + std::to_string(more) + " more)" : std::string()) +
                        ": the system's INF parser and the wizard end lines only at LF, so they read it and the next "
                        "line as one; end lines with CR LF or LF");

    const InfSection* version = FindInfSection(m_sections, TEXT("Version"));
    const InfLine* signature = FindInfKey(m_sections, TEXT("Version"), TEXT("Signature"));
    WString signatureText = signature && !signature->fields.empty() ? signature->fields[0] : WString();
    if (!ini::SameName(signatureText, TEXT("$Windows NT$")) && !ini::SameName(signatureText, TEXT("$Chicago$")) &&
        !ini::SameName(signatureText, TEXT("$Windows 95$")))
        m_out.Error(m_file,
                    signature ? signature->number
                    : version ? version->line
                              : 0,
                    std::string(signature ? "the Signature in [Version] is none of \"$Windows NT$\" and \"$Chicago$\""
                                          : "no Signature=\"$Windows NT$\" in [Version]") +
                        ": Windows does not take the file for a driver INF");

    // 64-bit Windows installs only signed drivers: the catalogue file [Version] names
    // (for NTamd64 first) holds the signature.
    const InfLine* catalog = nullptr;
    for (const WCHAR* key : {TEXT("CatalogFile.NTamd64"), TEXT("CatalogFile.NT"), TEXT("CatalogFile")})
        if (!catalog) catalog = FindInfKey(m_sections, TEXT("Version"), key);
    WString catalogFile = catalog && !catalog->fields.empty() ? catalog->fields[0] : WString();
    if (catalogFile.empty())
        m_out.Warning(
            m_file,
            catalog   ? catalog->number
            : version ? version->line
                      : 0,
            "no CatalogFile in [Version]: the driver is not signed, and 64-bit Windows refuses to install it");
    else if (!IsFile(m_folder + Backslashed(catalogFile)))
        m_out.Warning(m_file, catalog->number,
                      "the catalogue file " + Utf8(catalogFile) + " that [Version] names is not on the medium (" +
                          Shown(catalogFile) + "): the driver is not signed, and 64-bit Windows refuses to install it");

    std::set<WString> copied;
    for (const Named& n : m_named)
        if (n.copied) copied.insert(Upper(n.file));
    std::vector<Named> files;
    for (const Named& n : m_named) {
        if (n.copied || copied.count(Upper(n.file))) {
            files.push_back(n);
        } else if (!n.systemMayHaveIt) {
            if (m_reported.insert("uncopied " + Utf8(Upper(n.file))).second)
                m_out.Error(m_file, n.line,
                            "the file " + Utf8(n.file) + ", which " + n.why +
                                ", is copied by no CopyFiles, and the install section includes no system INF "
                                "(Include=) that supplies it: the installed driver lacks it");
        }
        // Otherwise it is a file of the system INF that the install section includes.
    }
    for (const Named& file : files)
        for (const WString& arch : targets) CheckFile(file, Utf8(arch));
    // Every file [SourceDisksFiles] lists is on the medium, for the Windows its
    // decoration (.x86, .amd64) names or, undecorated, for every one.
    for (const InfSection& s : m_sections) {
        if (!ini::SameName(s.name.substr(0, 16), TEXT("SourceDisksFiles"))) continue;
        WString decoration = s.name.size() > 17 ? s.name.substr(17) : WString();
        for (const InfLine& entry : s.lines) {
            if (!entry.hasKey || entry.key.empty()) continue;
            Named file{entry.key, entry.number, "[" + Utf8(s.name) + "] lists", true, false};
            for (const WString& arch : targets)
                if (decoration.empty() || ini::SameName(decoration, arch)) CheckFile(file, Utf8(arch));
        }
    }
}

}  // namespace medium_check

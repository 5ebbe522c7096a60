#include "tools/medium_check/inf_sections.h"

#include "platform/ini_scan.h"

namespace medium_check {

namespace {

WString WithoutComment(const WString& line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return line.substr(0, i);
    }
    return line;
}

WString Unquoted(const WString& s)
{
    WString t = ini::Trim(s);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
    return t;
}

std::vector<WString> SplitAtCommas(const WString& s)
{
    std::vector<WString> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = s.find(',', start);
        fields.push_back(ini::Trim(s.substr(start, comma == WString::npos ? WString::npos : comma - start)));
        if (comma == WString::npos) return fields;
        start = comma + 1;
    }
}

}  // namespace

std::vector<InfSection> ScanInfSections(const std::vector<WString>& lines)
{
    std::vector<InfSection> sections;
    for (size_t i = 0; i < lines.size(); ++i) {
        WString text = ini::Trim(WithoutComment(lines[i]));
        if (text.empty()) continue;
        int number = static_cast<int>(i) + 1;
        size_t close = text.find(']');
        if (text[0] == '[' && close != WString::npos) {
            InfSection section;
            section.line = number;
            section.name = ini::Trim(text.substr(1, close - 1));
            sections.push_back(section);
        } else if (!sections.empty()) {
            sections.back().lines.push_back({number, text});
        }
    }
    return sections;
}

const InfSection* FindInfSection(const std::vector<InfSection>& sections, const WString& name)
{
    for (const InfSection& s : sections)
        if (ini::SameName(s.name, name)) return &s;
    return nullptr;
}

std::vector<Manufacturer> DeclaredManufacturers(const InfSection& manufacturerSection)
{
    std::vector<Manufacturer> makers;
    for (const InfLine& line : manufacturerSection.lines) {
        size_t equals = line.text.find('=');
        std::vector<WString> fields = SplitAtCommas(equals == WString::npos ? line.text : line.text.substr(equals + 1));
        WString name = Unquoted(fields[0]);
        if (name.empty()) continue;
        Manufacturer maker{line.number, {}};
        for (size_t i = 1; i < fields.size(); ++i)
            if (!fields[i].empty()) maker.modelsSections.push_back(name + TEXT(".") + fields[i]);
        if (maker.modelsSections.empty()) maker.modelsSections.push_back(name);
        makers.push_back(maker);
    }
    return makers;
}

const InfLine* FindModelLine(const InfSection& section, const WString& model, inf::ModelLine* parsed)
{
    for (const InfLine& line : section.lines) {
        inf::ModelLine candidate;
        if (inf::ParseModelLine(line.text, candidate) && ini::SameName(candidate.model, model)) {
            if (parsed) *parsed = candidate;
            return &line;
        }
    }
    return nullptr;
}

bool HasModelLines(const InfSection& section)
{
    inf::ModelLine parsed;
    for (const InfLine& line : section.lines)
        if (inf::ParseModelLine(line.text, parsed)) return true;
    return false;
}

}  // namespace medium_check

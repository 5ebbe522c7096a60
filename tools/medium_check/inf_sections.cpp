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

// A field as the system's parser keeps it: blanks around it dropped, the quotation
// marks of quoted parts removed ("" inside them stands for one).
WString Field(const WString& s)
{
    WString t = ini::Trim(s), out;
    bool quoted = false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '"') {
            out += t[i];
        } else if (quoted && i + 1 < t.size() && t[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            quoted = !quoted;
        }
    }
    return out;
}

// The positions of the separator outside quotation marks.
std::vector<size_t> Unquoted(const WString& s, WCHAR separator)
{
    std::vector<size_t> at;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') quoted = !quoted;
        if (s[i] == separator && !quoted) at.push_back(i);
    }
    return at;
}

void SplitLine(InfLine* line)
{
    std::vector<size_t> equals = Unquoted(line->text, '=');
    WString values = line->text;
    if (!equals.empty()) {
        line->hasKey = true;
        line->key = Field(line->text.substr(0, equals[0]));
        values = line->text.substr(equals[0] + 1);
    }
    size_t start = 0;
    for (size_t comma : Unquoted(values, ',')) {
        line->fields.push_back(Field(values.substr(start, comma - start)));
        start = comma + 1;
    }
    line->fields.push_back(Field(values.substr(start)));
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
        while (text.back() == '\\' && i + 1 < lines.size()) {
            text.pop_back();
            text = ini::Trim(text + ini::Trim(WithoutComment(lines[++i])));
            if (text.empty()) break;
        }
        if (text.empty()) continue;
        size_t close = text.find(']');
        if (text[0] == '[' && close != WString::npos) {
            InfSection section;
            section.line = number;
            section.name = ini::Trim(text.substr(1, close - 1));
            sections.push_back(section);
        } else if (!sections.empty()) {
            InfLine line;
            line.number = number;
            line.text = text;
            SplitLine(&line);
            sections.back().lines.push_back(line);
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

std::vector<const InfLine*> InfSectionLines(const std::vector<InfSection>& sections, const WString& name)
{
    std::vector<const InfLine*> lines;
    for (const InfSection& s : sections)
        if (ini::SameName(s.name, name))
            for (const InfLine& line : s.lines) lines.push_back(&line);
    return lines;
}

const InfLine* FindInfKey(const std::vector<InfSection>& sections, const WString& section, const WString& key)
{
    for (const InfLine* line : InfSectionLines(sections, section))
        if (line->hasKey && ini::SameName(line->key, key)) return line;
    return nullptr;
}

WString ExpandStrings(const std::vector<InfSection>& sections, const WString& value)
{
    WString out;
    for (size_t i = 0; i < value.size(); ++i) {
        size_t close = value[i] == '%' ? value.find('%', i + 1) : WString::npos;
        if (close == WString::npos) {
            out += value[i];
            continue;
        }
        WString name = value.substr(i + 1, close - i - 1);
        const InfLine* entry = name.empty() ? nullptr : FindInfKey(sections, TEXT("Strings"), name);
        out += name.empty()                      ? WString(1, '%')
               : entry && !entry->fields.empty() ? entry->fields[0]
                                                 : value.substr(i, close - i + 1);
        i = close;
    }
    return out;
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

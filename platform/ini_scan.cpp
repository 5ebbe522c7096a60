#include "platform/ini_scan.h"

namespace ini {

namespace {

// A name or value stops at an embedded NUL.
WString CutAtNul(WString s)
{
    size_t nul = s.find(WCHAR(0));
    if (nul != WString::npos) s.resize(nul);
    return s;
}

// The header's name when the line is a section header.
bool SectionHeader(const WString& line, WString* name)
{
    if (line.empty() || line[0] != '[') return false;
    size_t close = line.rfind(']');
    if (close == WString::npos || close == 0) return false;
    *name = CutAtNul(Trim(line.substr(1, close - 1)));
    return true;
}

Entry EntryOf(const WString& line, int number)
{
    Entry entry;
    entry.line = number;
    size_t eq = line.find('=');
    if (eq == WString::npos) {
        entry.name = CutAtNul(line);
    } else {
        entry.name = CutAtNul(Trim(line.substr(0, eq)));
        entry.hasValue = true;
        entry.value = CutAtNul(Trim(line.substr(eq + 1)));
    }
    return entry;
}

}  // namespace

bool IsBlank(WCHAR c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

WString Trim(const WString& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameName(const WString& a, const WString& b)
{
    return text::EqualIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

std::vector<Section> Scan(const WString& text)
{
    std::vector<Section> sections;
    int number = 1;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(TEXT("\r\n"), pos);
        if (end == WString::npos) end = text.size();
        WString line = Trim(text.substr(pos, end - pos));
        int lineNumber = number;
        if (end < text.size()) {
            ++number;
            end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        }
        pos = end;

        WString name;
        if (line.empty() || line[0] == ';') continue;
        if (SectionHeader(line, &name))
            sections.push_back({lineNumber, name, {}});
        else if (!sections.empty())
            sections.back().entries.push_back(EntryOf(line, lineNumber));
    }
    return sections;
}

bool DecodeMarkedUtf16(const std::string& bytes, WString* text)
{
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return false;
    text->clear();
    text->reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        *text +=
            static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return true;
}

const Section* FindSection(const std::vector<Section>& sections, const WString& name)
{
    for (const Section& s : sections)
        if (SameName(s.name, name)) return &s;
    return nullptr;
}

const Entry* FindEntry(const Section& section, const WString& name)
{
    for (const Entry& e : section.entries)
        if (SameName(e.name, name)) return &e;
    return nullptr;
}

}  // namespace ini

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

WCHAR Upper(WCHAR c)
{
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<WCHAR>(c - 32) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 32);
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<WCHAR>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1u) ? c : static_cast<WCHAR>(c - 1);
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9) return static_cast<WCHAR>(c - 32);
    if (c >= 0x430 && c <= 0x44F) return static_cast<WCHAR>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<WCHAR>(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<WCHAR>(c - 32);
    return c;
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
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
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

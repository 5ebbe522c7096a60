// GetPrivateProfileSectionW and GetPrivateProfileStringW of the simulated machine.
// The file is read afresh on each call, as Windows reads it: UTF-16LE when it starts
// with that byte-order mark, otherwise bytes of the machine's ANSI code page.
// Lines are split at line feeds; blanks (and carriage returns) around a line, around
// a key name and around a value are dropped; blank lines are skipped; a line that
// begins with ';' is a comment; section and key names match without regard to case.
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/control.h"
#include "platform/sim/kernel_api.h"

namespace sim {
bool DecodeBytes(UINT codePage, const char* bytes, size_t size, bool strict, std::u16string& out);

namespace {

struct Entry {
    std::u16string name;
    std::optional<std::u16string> value;  // none for a line without '='
};
struct Section {
    std::u16string name;
    std::vector<Entry> entries;
};

bool IsBlank(char16_t c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u16string Trim(const std::u16string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char16_t>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::optional<std::vector<Section>> Load(LPCWSTR file)
{
    std::optional<std::string> host = HostPath(file);
    if (!host) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::u16string content;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            content += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8));
    } else {
        DecodeBytes(CP_ACP, bytes.data(), bytes.size(), false, content);
    }

    std::vector<Section> sections(1);  // entries before the first header belong to no section
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find(u'\n', pos);
        if (end == std::u16string::npos) end = content.size();
        std::u16string line = Trim(content.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close != std::u16string::npos) {
                sections.push_back({line.substr(1, close - 1), {}});
                continue;
            }
        }
        Entry entry;
        size_t eq = line.find(u'=');
        if (eq == std::u16string::npos) {
            entry.name = line;
        } else {
            entry.name = Trim(line.substr(0, eq));
            entry.value = Trim(line.substr(eq + 1));
        }
        sections.back().entries.push_back(entry);
    }
    return sections;
}

const Section* FindSection(const std::vector<Section>& sections, const std::u16string& name)
{
    for (size_t i = 1; i < sections.size(); ++i)
        if (EqualNoCase(sections[i].name, name)) return &sections[i];
    return nullptr;
}

}  // namespace
}  // namespace sim

DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD size, LPCWSTR file)
{
    if (!buffer || size == 0) return 0;
    buffer[0] = 0;
    if (size > 1) buffer[1] = 0;
    if (!section || !file) return 0;
    auto sections = sim::Load(file);
    if (!sections) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const sim::Section* s = sim::FindSection(*sections, section);
    if (!s) return 0;

    // Each line is copied with its NUL while at least two places remain; a section
    // that does not fit is cut, ends in two NULs, and the result is size - 2.
    DWORD left = size;
    WCHAR* out = buffer;
    for (const sim::Entry& e : s->entries) {
        if (left <= 2) break;
        if (e.name.empty() || e.name[0] == ';') continue;  // empty names and comments
        std::u16string line = e.name;
        if (e.value) line += u"=" + *e.value;
        size_t n = std::min<size_t>(line.size(), left - 2);
        std::copy(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(n), out);
        out[n] = 0;
        out += n + 1;
        left -= static_cast<DWORD>(n + 1);
        if (n < line.size()) {
            left = 1;
            break;
        }
    }
    *out = 0;
    if (left <= 1) {
        out[-1] = 0;
        return size - 2;
    }
    return size - left;
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR file)
{
    if (!buffer || size == 0) return 0;
    std::u16string value = defaultValue ? std::u16string(defaultValue) : std::u16string();
    while (!value.empty() && value.back() == ' ') value.pop_back();
    if (!section || !key) {  // listings of sections or keys are not used by the program
        buffer[0] = 0;
        return 0;
    }
    auto sections = sim::Load(file);
    SetLastError(sections ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (sections) {
        if (const sim::Section* s = sim::FindSection(*sections, sim::Trim(section))) {
            std::u16string wanted = sim::Trim(key);
            for (const sim::Entry& e : s->entries) {
                if (sim::EqualNoCase(e.name, wanted)) {
                    value = e.value ? *e.value : std::u16string();
                    break;
                }
            }
        }
    }
    // A value in matching quotation marks is returned without them.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    size_t n = std::min<size_t>(value.size(), size - 1);
    std::copy(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    return static_cast<DWORD>(n);
}

// GetPrivateProfileSectionW and GetPrivateProfileStringW of the simulated machine,
// reading the file the way Windows reads it:
//
// - Encoding: UTF-16LE when the file starts with the byte-order mark FF FE, otherwise
//   bytes of the machine's ANSI code page (sim::SetCodePage, 936 at reset). Windows,
//   unlike Wine, does not honour a UTF-8 byte-order mark: such a file is read in the
//   ANSI code page like any other, so the mark's bytes become part of the first line
//   (under 936 they even swallow the '[' of a first section header).
// - Lines end at CR, LF or any run of them; blanks (tab to CR, ^Z and space) around a
//   line are dropped and blank lines are skipped.
// - A line whose first character is ';' is a comment: it is in no listing and no key
//   lookup finds it. There are no trailing comments: "a=b ;c" has the value "b ;c".
// - "[name]" starts a section (text after the last ']' is ignored, blanks inside the
//   brackets are dropped); a '[' line without ']' is an ordinary line. Lines before the
//   first section header belong to no section and cannot be read.
// - An entry line is "name=value" split at its first '=', with the blanks around the
//   name and before the value dropped, or a line without '=', which is listed by
//   GetPrivateProfileSectionW but has no value for GetPrivateProfileStringW.
// - Section and key names match without regard to letter case; the first section and
//   the first key of a name win.
// - A value in matching quotation marks ("..." or '...') is returned without them.
//
// Each call reads the file again, so a changed file is seen at once; the parsed form of
// the last file is kept while its bytes stay the same.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
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

// sections[0] holds the lines before the first header; it has no name and no lookup
// reaches it.
struct Profile {
    std::vector<Section> sections;
};

bool IsBlank(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

std::u16string Trim(std::u16string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::u16string(s.substr(b, e - b));
}

// A name or value ends at an embedded NUL, as the NUL-terminated copies of the real
// functions see it.
std::u16string CutAtNul(std::u16string s)
{
    size_t nul = s.find(u'\0');
    if (nul != std::u16string::npos) s.resize(nul);
    return s;
}

// Upper case for the letters that have one in the scripts a catalogue may use: Latin,
// Greek, Cyrillic and the full-width forms of code page 936.
char16_t Upper(char16_t c)
{
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 32) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9) return static_cast<char16_t>(c - 32);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);
    return c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

std::u16string Decode(const std::string& bytes)
{
    std::u16string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)  // an odd last byte is dropped
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
    } else {
        DecodeBytes(CP_ACP, bytes.data(), bytes.size(), false, text);
    }
    return text;
}

Profile Parse(const std::u16string& text)
{
    Profile profile;
    profile.sections.emplace_back();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = Trim(std::u16string_view(text).substr(pos, end - pos));
        pos = end;
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;

        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.rfind(u']');
            if (close != std::u16string::npos && close > 0) {
                Section section;
                section.name = CutAtNul(Trim(std::u16string_view(line).substr(1, close - 1)));
                profile.sections.push_back(std::move(section));
                continue;
            }
        }
        Entry entry;
        size_t eq = line.find(u'=');
        if (eq == std::u16string::npos) {
            entry.name = CutAtNul(line);
        } else {
            entry.name = CutAtNul(Trim(std::u16string_view(line).substr(0, eq)));
            entry.value = CutAtNul(Trim(std::u16string_view(line).substr(eq + 1)));
        }
        profile.sections.back().entries.push_back(std::move(entry));
    }
    return profile;
}

// The parsed form of the file read last, with the bytes and code page it came from.
struct Memo {
    std::mutex mutex;
    std::string hostPath;
    UINT codePage = 0;
    std::string bytes;
    std::shared_ptr<const Profile> profile;
};

Memo& TheMemo()
{
    static Memo memo;
    return memo;
}

// The parsed form of the bytes read from the file at hostPath (empty for a file held in
// memory), parsed again only when something changed.
std::shared_ptr<const Profile> Remember(const std::string& hostPath, std::string bytes)
{
    Memo& memo = TheMemo();
    UINT codePage = CodePage();
    std::lock_guard<std::mutex> lock(memo.mutex);
    if (memo.profile && memo.hostPath == hostPath && memo.codePage == codePage && memo.bytes == bytes)
        return memo.profile;
    auto profile = std::make_shared<const Profile>(Parse(Decode(bytes)));
    memo.hostPath = hostPath;
    memo.codePage = codePage;
    memo.bytes = std::move(bytes);
    memo.profile = profile;
    return profile;
}

// Reads and parses the file; nothing when it cannot be read (missing, a directory, a
// drive that is not mapped), with *error set as Windows would set it.
std::shared_ptr<const Profile> Load(LPCWSTR file, DWORD* error)
{
    *error = ERROR_FILE_NOT_FOUND;
    if (!file || !file[0]) return nullptr;
    if (std::optional<std::string> memory = MemoryFile(file)) {
        *error = ERROR_SUCCESS;
        return Remember(std::string(), std::move(*memory));
    }
    std::optional<std::string> host = HostPath(file);
    if (!host) {
        *error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(*host, ec)) {
        *error = ERROR_ACCESS_DENIED;  // what opening a directory as a file gives
        return nullptr;
    }
    if (!std::filesystem::exists(*host, ec)) {
        if (!std::filesystem::is_directory(std::filesystem::path(*host).parent_path(), ec))
            *error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    std::ifstream in(*host, std::ios::binary | std::ios::ate);
    std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size < 0 || !in.seekg(0) || !in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()))) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    *error = ERROR_SUCCESS;
    return Remember(*host, std::move(bytes));
}

const Section* FindSection(const Profile& profile, std::u16string_view name)
{
    for (size_t i = 1; i < profile.sections.size(); ++i)
        if (EqualNoCase(profile.sections[i].name, name)) return &profile.sections[i];
    return nullptr;
}

// Copies NUL-terminated items and a final NUL, the way the listing functions fill their
// buffer: when the items do not fit, the last one is cut, two NULs end the buffer and
// the result is size - 2; otherwise the result counts every item with its NUL.
DWORD CopyList(const std::vector<std::u16string>& items, LPWSTR buffer, DWORD size)
{
    if (size < 2) {
        if (size == 1) buffer[0] = 0;
        return 0;
    }
    DWORD left = size;
    WCHAR* out = buffer;
    for (const std::u16string& item : items) {
        if (left <= 2) break;
        size_t n = std::min<size_t>(item.size(), left - 2);
        std::copy(item.begin(), item.begin() + static_cast<std::ptrdiff_t>(n), out);
        out[n] = 0;
        out += n + 1;
        left -= static_cast<DWORD>(n + 1);
        if (n < item.size()) {
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

// Copies a value, cut to size - 1 characters, and returns its length; matching quotes
// around it are dropped first.
DWORD CopyValue(std::u16string value, LPWSTR buffer, DWORD size)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    size_t n = std::min<size_t>(value.size(), size - 1);
    std::copy(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    return static_cast<DWORD>(n);
}

}  // namespace
}  // namespace sim

DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD size, LPCWSTR file)
{
    if (!section || !buffer || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = 0;
    if (size > 1) buffer[1] = 0;
    DWORD error;
    if (sim::TakeFailure("GetPrivateProfileSectionW", &error)) {
        SetLastError(error);
        return 0;
    }
    std::shared_ptr<const sim::Profile> profile = sim::Load(file, &error);
    if (!profile) {
        SetLastError(error);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const sim::Section* s = sim::FindSection(*profile, section);
    if (!s) return 0;
    std::vector<std::u16string> lines;
    for (const sim::Entry& e : s->entries) {
        if (e.name.empty() && !e.value) continue;
        lines.push_back(e.value ? e.name + u"=" + *e.value : e.name);
    }
    return sim::CopyList(lines, buffer, size);
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR file)
{
    if (!buffer || size == 0) return 0;
    std::u16string fallback = defaultValue ? std::u16string(defaultValue) : std::u16string();
    DWORD error;
    std::shared_ptr<const sim::Profile> profile;
    if (sim::TakeFailure("GetPrivateProfileStringW", &error))
        SetLastError(error);
    else if (!(profile = sim::Load(file, &error)))
        SetLastError(error);

    if (!section) {  // the names of all sections
        std::vector<std::u16string> names;
        if (profile)
            for (size_t i = 1; i < profile->sections.size(); ++i)
                if (!profile->sections[i].name.empty()) names.push_back(profile->sections[i].name);
        return sim::CopyList(names, buffer, size);
    }
    if (!key) {  // the names of the keys of a section; the default when there are none
        std::vector<std::u16string> names;
        if (profile)
            if (const sim::Section* s = sim::FindSection(*profile, section))
                for (const sim::Entry& e : s->entries)
                    if (e.value) names.push_back(e.name);
        DWORD n = sim::CopyList(names, buffer, size);
        return buffer[0] ? n : sim::CopyValue(fallback, buffer, size);
    }

    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
    if (profile) {
        if (const sim::Section* s = sim::FindSection(*profile, sim::Trim(section))) {
            std::u16string wanted = sim::Trim(key);
            for (const sim::Entry& e : s->entries) {
                if (sim::EqualNoCase(e.name, wanted)) {
                    if (e.value) return sim::CopyValue(*e.value, buffer, size);
                    break;
                }
            }
        }
        SetLastError(ERROR_FILE_NOT_FOUND);  // as Windows 7 and later report a missing key
    }
    return sim::CopyValue(fallback, buffer, size);
}

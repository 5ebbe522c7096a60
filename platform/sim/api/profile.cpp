// GetPrivateProfileSectionW and GetPrivateProfileStringW of the simulated machine,
// reading the file the way Windows reads it: the lines, sections, entries, blanks,
// comments and letter case as platform/ini_scan.h scans them, and besides:
//
// - Encoding: UTF-16LE when the file starts with the byte-order mark FF FE, otherwise
//   bytes of the machine's ANSI code page (sim::SetCodePage, 936 at reset). Windows,
//   unlike Wine, does not honour a UTF-8 byte-order mark: such a file is read in the
//   ANSI code page like any other, so the mark's bytes become part of the first line
//   (under 936 they even swallow the '[' of a first section header).
// - A line without '=' is listed by GetPrivateProfileSectionW but has no value for
//   GetPrivateProfileStringW.
// - A value in matching quotation marks ("..." or '...') is returned without them.
//
// Each call reads the file again, so a changed file is seen at once; the parsed form of
// the last file is kept while its bytes stay the same.
#include "platform/sim/api/profile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ini_scan.h"
#include "platform/sim/api/codepage.h"
#include "platform/sim/api/kernel.h"
#include "platform/sim/state/codepage.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"

namespace sim {

namespace {

using Profile = std::vector<ini::Section>;

std::u16string Decode(const std::string& bytes)
{
    std::u16string text;
    if (!ini::DecodeMarkedUtf16(bytes, &text)) DecodeBytes(CP_ACP, bytes.data(), bytes.size(), false, text);
    return text;
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
    auto profile = std::make_shared<const Profile>(ini::Scan(Decode(bytes)));
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
    if (!sim::CheckBufferSize("GetPrivateProfileSectionW", "nSize is the size of lpReturnedString in characters",
                              buffer, static_cast<size_t>(size) * sizeof(WCHAR),
                              "lpAppName=" + sim::Quote(section) + ", nSize=" + std::to_string(size) + " characters")) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    buffer[0] = 0;
    if (size > 1) buffer[1] = 0;
    if (sim::FailsNow("GetPrivateProfileSectionW")) return 0;
    DWORD error;
    std::shared_ptr<const sim::Profile> profile = sim::Load(file, &error);
    if (!profile) {
        SetLastError(error);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const ini::Section* s = ini::FindSection(*profile, section);
    if (!s) return 0;
    std::vector<std::u16string> lines;
    for (const ini::Entry& e : s->entries) {
        if (e.name.empty() && !e.hasValue) continue;
        lines.push_back(e.hasValue ? e.name + u"=" + e.value : e.name);
    }
    return sim::CopyList(lines, buffer, size);
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR file)
{
    if (!buffer || size == 0) return 0;
    if (!sim::CheckBufferSize("GetPrivateProfileStringW", "nSize is the size of lpReturnedString in characters", buffer,
                              static_cast<size_t>(size) * sizeof(WCHAR),
                              "lpAppName=" + sim::Quote(section) + ", lpKeyName=" + sim::Quote(key) +
                                  ", nSize=" + std::to_string(size) + " characters")) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
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
            for (const ini::Section& s : *profile)
                if (!s.name.empty()) names.push_back(s.name);
        return sim::CopyList(names, buffer, size);
    }
    if (!key) {  // the names of the keys of a section; the default when there are none
        std::vector<std::u16string> names;
        if (profile)
            if (const ini::Section* s = ini::FindSection(*profile, section))
                for (const ini::Entry& e : s->entries)
                    if (e.hasValue) names.push_back(e.name);
        DWORD n = sim::CopyList(names, buffer, size);
        return buffer[0] ? n : sim::CopyValue(fallback, buffer, size);
    }

    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
    if (profile) {
        if (const ini::Section* s = ini::FindSection(*profile, ini::Trim(section)))
            if (const ini::Entry* e = ini::FindEntry(*s, ini::Trim(key)); e && e->hasValue)
                return sim::CopyValue(e->value, buffer, size);
        SetLastError(ERROR_FILE_NOT_FOUND);  // as Windows 7 and later report a missing key
    }
    return sim::CopyValue(fallback, buffer, size);
}

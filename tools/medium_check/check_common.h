// What the catalogue's and the driver INFs' halves of the medium checker share: the
// list they add their findings to, the catalogue's file name, and how names are
// quoted and blanks recognised in the findings.
#pragma once

#include <string>
#include <vector>

#include "platform/kernel.h"
#include "platform/text.h"
#include "tools/medium_check/medium_check.h"

namespace medium_check {

constexpr const char* kCatalogueFile = "PrinterInfor.Inf";
// What Korvel printers report after MFG: in their device ID, and so the maker in
// their USB hardware IDs.
constexpr const char* kUsbMaker = "KORVEL";

class FindingList {
public:
    void Error(const std::string& file, int line, const std::string& message)
    {
        m_findings.push_back({file, line, Severity::kError, message});
    }
    void Warning(const std::string& file, int line, const std::string& message)
    {
        m_findings.push_back({file, line, Severity::kWarning, message});
    }
    std::vector<Finding>& All() { return m_findings; }

private:
    std::vector<Finding> m_findings;
};

inline std::string Utf8(const WString& s) { return text::ToUtf8(s); }
inline std::string Quoted(const WString& s) { return "\"" + Utf8(s) + "\""; }

// For a name or value with a ';' inside: the reason it is not what its writer meant.
inline std::string CommentNote(const WString& text, const std::string& what)
{
    size_t semicolon = text.find(';');
    if (semicolon == WString::npos || semicolon == 0) return std::string();
    return "; a \";\" starts a comment only at the start of a line, so the " + what + " is the whole text, " +
           Quoted(text.substr(semicolon)) + " included";
}

// A character that reads as a blank: the ASCII ones, and the Unicode spaces a text
// typed with an input method easily carries (no-break, ideographic, zero-width...).
inline bool LooksBlank(WCHAR c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 ||
           c == 0xFEFF;
}

// The whole file; false when it cannot be read.
inline bool ReadWholeFile(const WString& path, std::string* bytes)
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

inline bool IsFile(const WString& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace medium_check

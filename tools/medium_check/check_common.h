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

// A character that reads as a blank: the ASCII ones, and the Unicode spaces a text
// typed with an input method easily carries (no-break, ideographic, zero-width...).
inline bool LooksBlank(WCHAR c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 ||
           c == 0xFEFF;
}

inline bool IsFile(const WString& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace medium_check

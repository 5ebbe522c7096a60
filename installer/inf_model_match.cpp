#include "installer/inf_model_match.h"

#include "platform/kernel.h"

namespace inf_model_match {

WString MatchText(const WCHAR* quotedName)
{
    static const WCHAR kMixed[] = TEXT("Korvel");
    static const WCHAR kUpper[] = TEXT("KORVEL");
    WString s = quotedName ? quotedName : TEXT("");
    for (size_t at = s.find(kMixed); at != WString::npos; at = s.find(kMixed, at + 6)) s.replace(at, 6, kUpper);
    return s;
}

bool Accept(const WCHAR* line, const WCHAR* matchText, int matchLength, WString& hardwareId)
{
    if (!line || !matchText || matchLength < 0) return false;
    // The first matchLength characters, compared as wcsncmp does: a line that ends
    // sooner differs at its terminator.
    for (int i = 0; i < matchLength; ++i) {
        if (line[i] != matchText[i]) return false;
        if (!line[i]) break;
    }
    const WCHAR* first = text::Find(line, ',');
    if (!first || !text::Contains(first + 1, TEXT("USB"))) return false;
    const WCHAR* second = text::Find(first + 1, ',');
    size_t length = second ? static_cast<size_t>(second - (first + 1)) : 0;
    if (length >= kHardwareIdBytes) return false;
    hardwareId.assign(first + 1, length);
    return true;
}

bool WidenHardwareId(const BYTE* id, WString& wide)
{
    wide.clear();
    if (!id) return false;
    // At most 1023 bytes never widen to more characters than that.
    WCHAR buffer[kHardwareIdBytes] = {0};
    if (!::MultiByteToWideChar(CP_THREAD_ACP, 0, reinterpret_cast<LPCSTR>(id), -1, buffer,
                               static_cast<int>(kHardwareIdBytes)))
        return false;
    wide = buffer;
    return true;
}

}  // namespace inf_model_match

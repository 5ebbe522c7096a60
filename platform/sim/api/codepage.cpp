// MultiByteToWideChar, WideCharToMultiByte and GetACP of the simulated machine, with
// its ANSI code page a setting (sim::SetCodePage, 936 at reset).
#include "platform/sim/api/codepage.h"

#include <algorithm>
#include <string>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/codepage.h"
#include "platform/sim/state/machine.h"

namespace {

// The end both conversions share: the length asked for by a first call without a
// buffer, else the text in a buffer that must hold it whole.
template <typename Char>
int HandOut(const std::basic_string<Char>& converted, Char* out, int capacity)
{
    if (capacity == 0) return static_cast<int>(converted.size());
    if (converted.size() > static_cast<size_t>(capacity)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), out);
    return static_cast<int>(converted.size());
}

}  // namespace

UINT GetACP() { return sim::CodePage(); }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR out, int outChars)
{
    if (!text || bytes == 0 || outChars < 0 || (outChars > 0 && !out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t size = bytes < 0 ? std::char_traits<char>::length(text) + 1 : static_cast<size_t>(bytes);
    std::u16string wide;
    if (!sim::DecodeBytes(codePage, text, size, (flags & MB_ERR_INVALID_CHARS) != 0, wide)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return HandOut(wide, out, outChars);
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR text, int chars, LPSTR out, int outBytes, LPCSTR,
                        PBOOL usedDefault)
{
    if (!text || chars == 0 || outBytes < 0 || (outBytes > 0 && !out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = chars < 0 ? std::char_traits<char16_t>::length(text) + 1 : static_cast<size_t>(chars);
    if (usedDefault && sim::ResolveCodePage(codePage) == CP_UTF8) {  // UTF-8 has no default character
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string narrow;
    bool defaulted = false;
    if (!sim::EncodeText(codePage, text, count, narrow, &defaulted)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (usedDefault) *usedDefault = defaulted ? TRUE : FALSE;
    return HandOut(narrow, out, outBytes);
}

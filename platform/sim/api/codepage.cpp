// MultiByteToWideChar, WideCharToMultiByte and GetACP of the simulated machine, with
// its ANSI code page a setting (sim::SetCodePage, 936 at reset).
#include "platform/sim/api/codepage.h"

#include <algorithm>
#include <string>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/codepage.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"

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
    // The same pointer for both strings is refused, as documented.
    if (!text || bytes == 0 || outChars < 0 || (outChars > 0 && !out) ||
        static_cast<const void*>(text) == static_cast<const void*>(out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (sim::ResolveCodePage(codePage) == CP_UTF8 && (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (!sim::CheckBufferSize("MultiByteToWideChar", "cchWideChar is the size of lpWideCharStr in characters", out,
                              static_cast<size_t>(outChars) * sizeof(WCHAR),
                              "cbMultiByte=" + std::to_string(bytes) + ", cchWideChar=" + std::to_string(outChars))) {
        SetLastError(ERROR_NOACCESS);
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

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int chars, LPSTR out, int outBytes,
                        LPCSTR defaultChar, PBOOL usedDefault)
{
    if (!text || chars == 0 || outBytes < 0 || (outBytes > 0 && !out) ||
        static_cast<const void*>(text) == static_cast<const void*>(out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = chars < 0 ? std::char_traits<char16_t>::length(text) + 1 : static_cast<size_t>(chars);
    const bool utf8 = sim::ResolveCodePage(codePage) == CP_UTF8;
    if (utf8 && (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (utf8 && (usedDefault || defaultChar)) {  // UTF-8 has no default character
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!sim::CheckBufferSize("WideCharToMultiByte", "cbMultiByte is the size of lpMultiByteStr in bytes", out,
                              static_cast<size_t>(outBytes),
                              "cchWideChar=" + std::to_string(chars) + ", cbMultiByte=" + std::to_string(outBytes))) {
        SetLastError(ERROR_NOACCESS);
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

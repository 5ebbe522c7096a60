// Code pages of the simulated machine: MultiByteToWideChar and WideCharToMultiByte
// through iconv, with the machine's ANSI code page a setting (936 at reset).
#include <errno.h>
#include <iconv.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/sim/control/machine.h"
#include "platform/sim/api/kernel.h"

#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#endif
#define MB_ERR_INVALID_CHARS 0x00000008

namespace sim {
namespace {
std::atomic<UINT> g_codePage{936};

std::string IconvName(UINT codePage)
{
    switch (codePage) {
    case CP_UTF8: return "UTF-8";
    case 936: return "CP936";  // GBK with the euro sign at 0x80, as Windows' table has it
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    default: return "CP" + std::to_string(codePage);
    }
}

UINT Resolve(UINT codePage)
{
    return (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP) ? g_codePage.load() : codePage;
}
}  // namespace

void SetCodePage(UINT codePage) { g_codePage = codePage; }
UINT CodePage() { return g_codePage; }

// Converts bytes to UTF-16; an undecodable byte becomes U+FFFD unless strict.
bool DecodeBytes(UINT codePage, const char* bytes, size_t size, bool strict, std::u16string& out)
{
    out.clear();
    iconv_t cd = iconv_open("UTF-16LE", IconvName(Resolve(codePage)).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(size * 4 + 16);
    char* in = const_cast<char*>(bytes);
    size_t inLeft = size;
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        for (char* p = buffer.data(); p + 1 < outPtr; p += 2)
            out += static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
        if (r == static_cast<size_t>(-1) && (errno == EILSEQ || errno == EINVAL)) {
            if (strict) {
                ok = false;
                break;
            }
            out += u'\xFFFD';
            ++in;
            --inLeft;
        } else if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

// Converts UTF-16 to the code page; a character it cannot hold becomes '?', the
// default character, and *usedDefault (when given) tells whether that happened.
bool EncodeText(UINT codePage, const char16_t* chars, size_t count, std::string& out, bool* usedDefault = nullptr)
{
    out.clear();
    if (usedDefault) *usedDefault = false;
    iconv_t cd = iconv_open(IconvName(Resolve(codePage)).c_str(), "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in;
    for (size_t i = 0; i < count; ++i) {
        in += static_cast<char>(chars[i] & 0xFF);
        in += static_cast<char>(chars[i] >> 8);
    }
    char* inPtr = &in[0];
    size_t inLeft = in.size();
    std::vector<char> buffer(count * 4 + 16);
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), static_cast<size_t>(outPtr - buffer.data()));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += '?';  // the default character, as Windows substitutes
            if (usedDefault) *usedDefault = true;
            inPtr += 2;
            inLeft -= 2;
        }
    }
    iconv_close(cd);
    return true;
}

}  // namespace sim

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
    if (outChars == 0) return static_cast<int>(wide.size());
    if (wide.size() > static_cast<size_t>(outChars)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(wide.begin(), wide.end(), out);
    return static_cast<int>(wide.size());
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR text, int chars, LPSTR out, int outBytes, LPCSTR,
                        PBOOL usedDefault)
{
    if (!text || chars == 0 || outBytes < 0 || (outBytes > 0 && !out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = chars < 0 ? std::char_traits<char16_t>::length(text) + 1 : static_cast<size_t>(chars);
    if (usedDefault && sim::Resolve(codePage) == CP_UTF8) {  // UTF-8 has no default character
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
    if (outBytes == 0) return static_cast<int>(narrow.size());
    if (narrow.size() > static_cast<size_t>(outBytes)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(narrow.begin(), narrow.end(), out);
    return static_cast<int>(narrow.size());
}

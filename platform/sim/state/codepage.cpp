// Conversions between the machine's code pages and UTF-16, through iconv.
#include "platform/sim/state/codepage.h"

#include <errno.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "platform/sim/api/codepage.h"
#include "platform/sim/state/machine.h"

namespace sim {
namespace {

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
}  // namespace

UINT ResolveCodePage(UINT codePage)
{
    return (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP) ? CodePage() : codePage;
}

bool DecodeBytes(UINT codePage, const char* bytes, size_t size, bool strict, std::u16string& out)
{
    out.clear();
    iconv_t cd = iconv_open("UTF-16LE", IconvName(ResolveCodePage(codePage)).c_str());
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

bool EncodeText(UINT codePage, const char16_t* chars, size_t count, std::string& out, bool* usedDefault)
{
    out.clear();
    if (usedDefault) *usedDefault = false;
    iconv_t cd = iconv_open(IconvName(ResolveCodePage(codePage)).c_str(), "UTF-16LE");
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

#include "platform/text.h"

#include <cstdio>

namespace text {

size_t Length(const WCHAR* s)
{
    size_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

int Copy(WCHAR* dst, size_t capacity, const WCHAR* src)
{
    if (!dst || capacity == 0) return kInvalid;
    if (!src) {
        dst[0] = 0;
        return kInvalid;
    }
    size_t n = Length(src);
    if (n >= capacity) {
        dst[0] = 0;
        return kNoRoom;
    }
    for (size_t i = 0; i <= n; ++i) dst[i] = src[i];
    return kOk;
}

int Append(WCHAR* dst, size_t capacity, const WCHAR* src)
{
    if (!dst || capacity == 0) return kInvalid;
    size_t have = 0;
    while (have < capacity && dst[have]) ++have;
    if (have == capacity || !src) {
        dst[0] = 0;
        return kInvalid;
    }
    size_t n = Length(src);
    if (have + n >= capacity) {
        dst[0] = 0;
        return kNoRoom;
    }
    for (size_t i = 0; i <= n; ++i) dst[have + i] = src[i];
    return kOk;
}

int Compare(const WCHAR* a, const WCHAR* b)
{
    if (!a) a = TEXT("");
    if (!b) b = TEXT("");
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

bool Equal(const WCHAR* a, const WCHAR* b) { return Compare(a, b) == 0; }

static WCHAR LowerAscii(WCHAR c) { return (c >= 'A' && c <= 'Z') ? static_cast<WCHAR>(c + 32) : c; }

bool EqualNoCaseAscii(const WCHAR* a, size_t aLen, const WCHAR* b, size_t bLen)
{
    if (aLen != bLen) return false;
    for (size_t i = 0; i < aLen; ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool StartsWith(const WCHAR* s, const WCHAR* prefix)
{
    if (!s || !prefix) return false;
    while (*prefix)
        if (*s++ != *prefix++) return false;
    return true;
}

const WCHAR* Find(const WCHAR* s, WCHAR c)
{
    for (; s && *s; ++s)
        if (*s == c) return s;
    return nullptr;
}

bool Contains(const WCHAR* s, const WCHAR* needle)
{
    if (!s || !needle) return false;
    if (!needle[0]) return true;
    for (; *s; ++s) {
        size_t i = 0;
        while (needle[i] && s[i] == needle[i]) ++i;
        if (!needle[i]) return true;
    }
    return false;
}

static void AppendNumber(WString& out, unsigned long long value, bool negative, unsigned base, int width, bool zeroPad)
{
    WCHAR digits[32];
    int n = 0;
    do {
        unsigned d = static_cast<unsigned>(value % base);
        digits[n++] = static_cast<WCHAR>(d < 10 ? '0' + d : 'a' + d - 10);
        value /= base;
    } while (value);
    int len = n + (negative ? 1 : 0);
    if (!zeroPad)
        for (; len < width; ++len) out += ' ';
    if (negative) out += '-';
    if (zeroPad)
        for (; len < width; ++len) out += '0';
    while (n) out += digits[--n];
}

WString FormatV(const WCHAR* format, va_list args)
{
    WString out;
    for (const WCHAR* p = format; p && *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        if (*p == '%') {
            out += '%';
            continue;
        }
        bool zeroPad = false;
        int width = 0;
        if (*p == '0') {
            zeroPad = true;
            ++p;
        }
        while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        switch (*p) {
        case 's': {
            const WCHAR* s = va_arg(args, const WCHAR*);
            out += s ? s : TEXT("(null)");
            break;
        }
        case 'd': {
            long long v = va_arg(args, int);
            AppendNumber(out, static_cast<unsigned long long>(v < 0 ? -v : v), v < 0, 10, width, zeroPad);
            break;
        }
        case 'u': AppendNumber(out, va_arg(args, unsigned), false, 10, width, zeroPad); break;
        case 'x': AppendNumber(out, va_arg(args, unsigned), false, 16, width, zeroPad); break;
        case 0: return out;
        default:  // unknown conversions are copied as they stand
            out += '%';
            out += *p;
            break;
        }
    }
    return out;
}

WString Format(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    WString s = FormatV(format, args);
    va_end(args);
    return s;
}

int FormatInto(WCHAR* dst, size_t capacity, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    WString s = FormatV(format, args);
    va_end(args);
    return Copy(dst, capacity, s.c_str());
}

int ParseLeadingInt(const WCHAR* s)
{
    if (!s) return 0;
    while (*s == ' ' || *s == '\t') ++s;
    bool negative = false;
    if (*s == '-' || *s == '+') negative = (*s++ == '-');
    long long v = 0;
    while (*s >= '0' && *s <= '9') {
        v = v * 10 + (*s++ - '0');
        if (v > 2147483647LL) v = 2147483647LL;  // saturate like the C runtime
    }
    return static_cast<int>(negative ? -v : v);
}

std::string ToUtf8(const WCHAR* s, size_t length)
{
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned long c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ToUtf8(const WString& s) { return ToUtf8(s.data(), s.size()); }

WString FromUtf8(const std::string& s)
{
    WString out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        unsigned long c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += static_cast<WCHAR>(0xFFFD);
            ++i;
            continue;
        }
        if (i + extra >= s.size() + (extra ? 0 : 1) && extra) {
            out += static_cast<WCHAR>(0xFFFD);
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (t & 0x3F);
        }
        if (!ok) {
            out += static_cast<WCHAR>(0xFFFD);
            ++i;
            continue;
        }
        i += 1 + extra;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<WCHAR>(0xD800 + (c >> 10));
            out += static_cast<WCHAR>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<WCHAR>(c);
        }
    }
    return out;
}

}  // namespace text

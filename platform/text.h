// UTF-16 text helpers shared by both sides. Portable code never uses wcs* or
// swprintf: wchar_t is 32-bit on Linux, WCHAR is 16-bit everywhere.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

#include "platform/types.h"

typedef std::basic_string<WCHAR> WString;

namespace text {

// Status codes of the bounded copies, as the C runtime's *_s functions give them.
constexpr int kOk = 0;
constexpr int kInvalid = 22;  // EINVAL: a null pointer or a zero capacity
constexpr int kNoRoom = 34;   // ERANGE: the text does not fit; nothing is copied

size_t Length(const WCHAR* s);
// Bounded copy and append: they refuse a text that does not fit, never truncate.
// On refusal the destination is left empty (dst[0] = 0), like wcscpy_s.
int Copy(WCHAR* dst, size_t capacity, const WCHAR* src);
int Append(WCHAR* dst, size_t capacity, const WCHAR* src);

int Compare(const WCHAR* a, const WCHAR* b);
bool Equal(const WCHAR* a, const WCHAR* b);
// Case-insensitive for ASCII letters only.
bool EqualNoCaseAscii(const WCHAR* a, size_t aLen, const WCHAR* b, size_t bLen);
// The upper case of a UTF-16 code unit by Windows' own table (RtlUpcaseUnicodeChar,
// by which the registry, the profile functions and the spooler match names): the
// up-case table Microsoft publishes, generated into platform/upcase_table.cpp. The
// simulated machine and the tools fold letter case with it.
WCHAR UpperCase(WCHAR c);
// Equal code unit for code unit after upper-casing, as Windows compares names without
// regard to letter case: on Windows the system's own rule (CompareStringOrdinal, or
// LCMapStringW with the invariant locale on XP; platform/win/text_case.cpp), on the
// simulated machine UpperCase (platform/sim/api/text_case.cpp).
bool EqualIgnoringCase(const WCHAR* a, size_t aLen, const WCHAR* b, size_t bLen);
bool StartsWith(const WCHAR* s, const WCHAR* prefix);
// The first `c` in s, or null when there is none (or s is null).
const WCHAR* Find(const WCHAR* s, WCHAR c);
// Whether needle occurs in s, letter case included; an empty needle occurs in any
// non-null s.
bool Contains(const WCHAR* s, const WCHAR* needle);

// printf-style formatting of the few conversions the program needs:
// %s (const WCHAR*), %d and %u (int), zero-padded widths such as %03d, %x, %%.
WString FormatV(const WCHAR* format, va_list args);
WString Format(const WCHAR* format, ...);
// Formats into a fixed buffer; refuses (returns kNoRoom, dst empty) when it does not fit.
int FormatInto(WCHAR* dst, size_t capacity, const WCHAR* format, ...);

// Decimal value of the leading digits (after optional blanks and sign); 0 when none.
int ParseLeadingInt(const WCHAR* s);

// UTF-8 <-> UTF-16 for tools, logs and tests (not the program's own encoding).
std::string ToUtf8(const WCHAR* s, size_t length);
std::string ToUtf8(const WString& s);
WString FromUtf8(const std::string& s);

}  // namespace text

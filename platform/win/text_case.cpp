// Names compared without regard to letter case by Windows' own rule: CompareStringOrdinal
// with bIgnoreCase TRUE where kernel32 has it (Vista and later), else (XP) both names
// upper-cased by LCMapStringW with the invariant locale, then compared code unit for
// code unit. Both upper-case each UTF-16 code unit by the system's table, as the spooler
// and the registry match names.
#include "platform/win/text_case.h"

#include "platform/text.h"

namespace {

constexpr int kEqual = 2;  // CSTR_EQUAL
typedef int(WINAPI* CompareStringOrdinalFunction)(LPCWSTR, int, LPCWSTR, int, BOOL);

CompareStringOrdinalFunction CompareOrdinal()
{
    // kernel32 is loaded in every process; GetModuleHandleW loads nothing. Names are
    // compared a few times a run, so the function is looked up each time.
    FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal");
    return reinterpret_cast<CompareStringOrdinalFunction>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

namespace win {

// In pieces on the stack: the mapping is one code unit for one.
bool EqualUpperCasedInvariant(const WCHAR* a, const WCHAR* b, size_t length)
{
    constexpr int kPiece = 128;
    WCHAR upperA[kPiece], upperB[kPiece];
    for (size_t done = 0; done < length;) {
        int n = static_cast<int>(length - done < kPiece ? length - done : kPiece);
        if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, a + done, n, upperA, kPiece) != n ||
            ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, b + done, n, upperB, kPiece) != n)
            return false;  // not mapped one for one: not taken as equal
        for (int i = 0; i < n; ++i)
            if (upperA[i] != upperB[i]) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace win

namespace text {

bool EqualIgnoringCase(const WCHAR* a, size_t aLen, const WCHAR* b, size_t bLen)
{
    if (aLen != bLen) return false;
    if (aLen == 0) return true;
    if (!a || !b) return false;
    if (aLen > 0x7FFFFFFF) return false;  // longer than the system functions take
    if (CompareStringOrdinalFunction compare = CompareOrdinal())
        return compare(a, static_cast<int>(aLen), b, static_cast<int>(bLen), TRUE) == kEqual;
    return win::EqualUpperCasedInvariant(a, b, aLen);
}

}  // namespace text

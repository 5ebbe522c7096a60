// Windows' comparison of names without regard to letter case (text::EqualIgnoringCase),
// and its road for XP, which the contract tests also take on a newer Windows.
#pragma once

#include <windows.h>

#include <cstddef>

namespace win {

// Both texts of `length` code units upper-cased by LCMapStringW with the invariant
// locale (LCMAP_UPPERCASE) and compared code unit for code unit.
bool EqualUpperCasedInvariant(const WCHAR* a, const WCHAR* b, size_t length);

}  // namespace win

// Names compared without regard to letter case on the simulated machine: by Windows'
// upper-case table, as the system compares them.
#include "platform/text.h"

namespace text {

bool EqualIgnoringCase(const WCHAR* a, size_t aLen, const WCHAR* b, size_t bLen)
{
    if (aLen != bLen) return false;
    for (size_t i = 0; i < aLen; ++i)
        if (a[i] != b[i] && UpperCase(a[i]) != UpperCase(b[i])) return false;
    return true;
}

}  // namespace text

// The hint for a name that a lookup did not find: the closest of the names that are
// there, when it is close enough to be a slip of the keyboard (a letter O for a zero,
// two letters swapped, a blank too many).
#pragma once

#include <vector>

#include "platform/text.h"

namespace medium_check {

// Edits (insert, delete, replace, swap two neighbours) between the two names, with
// letter case ignored as the profile functions ignore it.
size_t NameDistance(const WString& a, const WString& b);

// The index in `candidates` of the one closest to `wanted`, the first of equals; -1
// when none is within a slip: one edit for a name of up to 7 characters, and one
// more for each further 4, at most 3.
int ClosestName(const WString& wanted, const std::vector<WString>& candidates);

}  // namespace medium_check

// The printer catalogue (PrinterInfor.Inf) as the list lookups read it: a section's
// entry lines, delivered by the profile reader as NUL-terminated strings one after the
// other, become one list element each, whole and in file order.
#pragma once

#include "afx/afx.h"
#include "platform/types.h"

namespace catalogue {

// A listed section is read into this many characters; a section that needs more is
// treated as absent.
constexpr int kSectionCapacity = 2048;
// Each entry line is copied into this many characters, its NUL included, before it
// becomes a list element; a longer line cannot be listed.
constexpr int kEntryCapacity = 256;

// Appends to `entries` every entry among the first `count` characters of `buffer`,
// each one ending at a NUL. Returns false, with `entries` unchanged, when an entry does
// not fit the entry buffer; a section is listed whole or not at all.
bool SplitEntries(const WCHAR* buffer, int count, CStringList& entries);

}  // namespace catalogue

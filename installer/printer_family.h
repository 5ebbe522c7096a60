// Which printer names belong to a chosen name: the name itself and its copy names,
// the family that is removed before an installation. Plain text logic on
// NUL-terminated UTF-16 names. Letter case is ignored as the spooler ignores it
// (text::EqualIgnoringCase): the spooler opens, refuses to add twice and deletes a
// printer under any spelling of its name, so a printer the family test missed for its
// spelling (a Plug and Play queue takes the driver INF's "KORVEL ...") would stay and
// block every later installation of that name.
#pragma once

#include "platform/types.h"

namespace printer_family {

// The printer is named `name`, letter case aside. An empty name names no printer.
bool IsSameName(const WCHAR* printer, const WCHAR* name);

// The printer carries a copy name of `name` (length n): it has more than n + 2
// characters, begins with the name (letter case aside), and has an opening
// parenthesis at index n + 1, as in "A (Copy 1)" or "AB(2)" for "A". The character
// at index n is not examined.
// An empty name has no copies.
bool IsCopyName(const WCHAR* printer, const WCHAR* name);

}  // namespace printer_family

// The driver INF's model lines as the Plug and Play road reads them: the line that
// begins with the chosen printer's quoted name and names USB after its first comma
// gives the USB hardware ID. This is the wizard's own reading, not the system's INF
// parser: the name must begin the line exactly and the fields keep their blanks.
#pragma once

#include <cstddef>

#include "platform/text.h"
#include "platform/types.h"

namespace inf_model_match {

// The caller's hardware-ID byte buffer. An ID is stored one byte per character
// with no terminator, so it may have at most kHardwareIdBytes - 1 characters for
// the caller's zero filling to end it.
constexpr size_t kHardwareIdBytes = 1024;

// The quoted name as the driver INF spells it: every "Korvel" written "KORVEL".
WString MatchText(const WCHAR* quotedName);

// Whether `line` is an accepted model line for the match text, whose first
// `matchLength` characters must begin the line exactly. A line is accepted when
// `USB` occurs after its first comma; the hardware ID is the text strictly between
// the first and the second comma (empty without a second comma), blanks included.
// A line whose ID would not fit the ID buffer (kHardwareIdBytes or more
// characters) has no usable ID and is not accepted.
bool Accept(const WCHAR* line, const WCHAR* matchText, int matchLength, WString& hardwareId);

// The hardware ID as the driver update receives it: the ID buffer's bytes up to the
// first zero (at most kHardwareIdBytes - 1 of them), as text of the calling thread's
// ANSI code page. Blanks stay as they are. False when they cannot be converted.
bool WidenHardwareId(const BYTE* id, WString& wide);

}  // namespace inf_model_match

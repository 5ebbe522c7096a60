// Conversions between the machine's code pages and UTF-16, for its functions that
// read text. Internal to platform/sim.
#pragma once

#include <string>

#include "platform/sim/api/win_types.h"

namespace sim {

// The code page a function's argument names: CP_ACP, CP_THREAD_ACP and CP_OEMCP stand
// for the machine's ANSI code page.
UINT ResolveCodePage(UINT codePage);
// Converts bytes to UTF-16; an undecodable byte becomes U+FFFD unless strict, when the
// conversion fails instead.
bool DecodeBytes(UINT codePage, const char* bytes, size_t size, bool strict, std::u16string& out);
// Converts UTF-16 to the code page; a character it cannot hold becomes '?', the
// default character, and *usedDefault (when given) tells whether that happened.
bool EncodeText(UINT codePage, const char16_t* chars, size_t count, std::string& out, bool* usedDefault = nullptr);

}  // namespace sim

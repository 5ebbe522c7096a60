// The program's version and architecture, as the usage and the log show them.
#pragma once

#include "korvel_version.h"
#include "platform/types.h"

#define KORVEL_WIDE_TEXT(s) TEXT(s)
#define KORVEL_WIDE(s) KORVEL_WIDE_TEXT(s)
// "1.1.0.0", a wide literal.
#define KORVEL_VERSION_W KORVEL_WIDE(KORVEL_VERSION_TEXT)

// "x86" or "x86-64": what the program was built for.
inline const WCHAR* BuildArchitecture() { return sizeof(void*) == 8 ? TEXT("x86-64") : TEXT("x86"); }

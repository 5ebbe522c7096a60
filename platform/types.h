// Basic Windows types, the wide-literal macro and the common constants.
// On Windows this is the system's own header; on Linux the simulated machine
// supplies the same names (WCHAR is char16_t there, since wchar_t is 32-bit).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/sim/api/win_types.h"
#endif

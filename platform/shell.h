// The shell: starting programs (rundll32) and splitting command lines.
#pragma once

#include "platform/types.h"

#ifdef _WIN32
#include <shellapi.h>
#else
#include "platform/sim/api/shell.h"
#endif

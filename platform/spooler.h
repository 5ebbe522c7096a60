// The print spooler: printers, drivers, ports, the default printer.
#pragma once

#include "platform/types.h"

#ifdef _WIN32
#include <winspool.h>
// The installer has an operation of this name; the program calls the W function
// by its full name.
#undef SetDefaultPrinter
#else
#include "platform/sim/api/spooler.h"
#endif

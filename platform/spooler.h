// The print spooler: printers, drivers, ports, the default printer.
#pragma once

#include "platform/types.h"

#ifdef _WIN32
#include <winspool.h>
#else
#include "platform/sim/spooler_api.h"
#endif

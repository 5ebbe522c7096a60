// An error code as the log shows it: the number, its ERROR_ name where the program
// knows it, and the system's own message for it, so that an administrator reading the
// log of one PC out of many needs to look nothing up.
#pragma once

#include "platform/text.h"
#include "platform/types.h"

namespace error_text {

// "error 3001 (ERROR_PRINTER_DRIVER_IN_USE: The specified printer driver is currently
// in use.)"; without the name or the message where there is none: "error 3001".
WString Describe(DWORD code);

}  // namespace error_text

// The names of the Windows error codes the program and the simulated machine know,
// so that a log or a transcript can say ERROR_PRINTER_DRIVER_IN_USE where a bare
// number would send an administrator to look it up.
#pragma once

#include "platform/types.h"

namespace text {

// "ERROR_ACCESS_DENIED" for 5, and so on; null for a code the table does not hold.
const WCHAR* ErrorName(DWORD code);

}  // namespace text

// The English messages shown when rundll32 could not be started.
#pragma once

#include "platform/types.h"

namespace launcher {

// The message for the last-error code of the failed start; "Other error occurred."
// for every code without a message of its own.
const WCHAR* ErrorMessage(DWORD error);

}  // namespace launcher

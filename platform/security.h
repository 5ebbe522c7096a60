// Security: the account the program runs as, from its process token.
#pragma once

#include "platform/types.h"

#ifndef _WIN32
#include "platform/sim/api/security.h"
#endif

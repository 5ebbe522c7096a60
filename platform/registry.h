// Registry reads.
#pragma once

#include "platform/types.h"

#ifndef _WIN32
#include "platform/sim/api/registry.h"
#endif

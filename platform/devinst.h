// Device installation: SetupAPI device interfaces, the configuration manager and
// the Plug and Play driver update.
#pragma once

#include "platform/types.h"
#include "platform/registry.h"

#ifdef _WIN32
#include <setupapi.h>
#include <cfgmgr32.h>
#include <newdev.h>
#else
#include "platform/sim/api/pnp.h"
#include "platform/sim/api/setupapi.h"
#endif

#ifndef IOCTL_USBPRINT_GET_1284_ID
#define IOCTL_USBPRINT_GET_1284_ID 0x220034
#endif

// The device interface class of USB printing support, defined here rather than
// taken from the platform's headers (which define it only under INITGUID).
#pragma once

#include "platform/types.h"

// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}
const GUID GUID_DEVINTERFACE_USBPRINT = {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

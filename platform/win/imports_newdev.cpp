// The Plug and Play driver update, from newdev.dll in the system folder (a KnownDLL
// on no Windows version).
#include "platform/devinst.h"
#include "platform/win/system_library.h"

KORVEL_SYSTEM_FUNCTION(kNewdev, FALSE, WINBOOL, UpdateDriverForPlugAndPlayDevicesW,
                       (HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags, PBOOL rebootRequired),
                       (parent, hardwareId, fullInfPath, installFlags, rebootRequired))

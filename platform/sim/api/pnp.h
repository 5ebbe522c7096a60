// Plug and Play of the simulated machine: the configuration manager's device tree
// (cfgmgr32) and the driver update for present devices (newdev).
#pragma once

#include "platform/sim/api/win_types.h"

typedef DWORD DEVINST;
typedef DEVINST* PDEVINST;
typedef DWORD CONFIGRET;
typedef WCHAR* DEVINSTID_W;

#define INSTALLFLAG_FORCE 0x00000001
#define INSTALLFLAG_READONLY 0x00000002
#define INSTALLFLAG_NONINTERACTIVE 0x00000004

#define CR_SUCCESS 0x00000000
#define CR_INVALID_POINTER 0x00000003
#define CR_INVALID_FLAG 0x00000004
#define CR_INVALID_DEVNODE 0x00000005
#define CR_NO_SUCH_DEVNODE 0x0000000D
#define CR_FAILURE 0x00000013
#define CM_LOCATE_DEVNODE_NORMAL 0x00000000
#define CM_REENUMERATE_NORMAL 0x00000000

BOOL UpdateDriverForPlugAndPlayDevicesW(HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
                                        PBOOL rebootRequired);

CONFIGRET CM_Locate_DevNodeW(PDEVINST devInst, DEVINSTID_W deviceId, ULONG flags);
CONFIGRET CM_Reenumerate_DevNode(DEVINST devInst, ULONG flags);

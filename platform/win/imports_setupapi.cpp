// The SetupAPI and configuration-manager functions the program calls, from
// setupapi.dll in the system folder (not a KnownDLL on XP). setupapi.dll exports the
// CM_ functions on every version (from Windows 7 on it forwards them to cfgmgr32.dll).
#include "platform/devinst.h"
#include "platform/win/system_library.h"

KORVEL_SYSTEM_FUNCTION(kSetupapi, INVALID_HANDLE_VALUE, HDEVINFO, SetupDiGetClassDevsW,
                       (CONST GUID * classGuid, PCWSTR enumerator, HWND parent, DWORD flags),
                       (classGuid, enumerator, parent, flags))

KORVEL_SYSTEM_FUNCTION(kSetupapi, FALSE, WINBOOL, SetupDiEnumDeviceInterfaces,
                       (HDEVINFO set, PSP_DEVINFO_DATA device, CONST GUID* interfaceClass, DWORD index,
                        PSP_DEVICE_INTERFACE_DATA data),
                       (set, device, interfaceClass, index, data))

KORVEL_SYSTEM_FUNCTION(kSetupapi, FALSE, WINBOOL, SetupDiGetDeviceInterfaceDetailW,
                       (HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                        DWORD detailSize, PDWORD requiredSize, PSP_DEVINFO_DATA device),
                       (set, data, detail, detailSize, requiredSize, device))

KORVEL_SYSTEM_FUNCTION(kSetupapi, FALSE, WINBOOL, SetupDiDestroyDeviceInfoList, (HDEVINFO set), (set))

KORVEL_SYSTEM_FUNCTION(kSetupapi, static_cast<HKEY>(INVALID_HANDLE_VALUE), HKEY, SetupDiOpenClassRegKeyExW,
                       (CONST GUID * classGuid, REGSAM access, DWORD flags, PCWSTR machine, PVOID reserved),
                       (classGuid, access, flags, machine, reserved))

KORVEL_SYSTEM_FUNCTION(kSetupapi, CR_FAILURE, CONFIGRET, CM_Locate_DevNodeW,
                       (PDEVINST devInst, DEVINSTID_W deviceId, ULONG flags), (devInst, deviceId, flags))

KORVEL_SYSTEM_FUNCTION(kSetupapi, CR_FAILURE, CONFIGRET, CM_Reenumerate_DevNode, (DEVINST devInst, ULONG flags),
                       (devInst, flags))

// The print spooler of the simulated machine.
#pragma once

#include "platform/sim/api/win_types.h"

typedef DWORD ACCESS_MASK;
struct DEVMODEW;
typedef DEVMODEW* LPDEVMODEW;
typedef PVOID PSECURITY_DESCRIPTOR;

struct PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    LPDEVMODEW pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    PSECURITY_DESCRIPTOR pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};
typedef PRINTER_INFO_2W* PPRINTER_INFO_2W;
typedef PRINTER_INFO_2W* LPPRINTER_INFO_2W;

struct PRINTER_DEFAULTSW {
    LPWSTR pDatatype;
    LPDEVMODEW pDevMode;
    ACCESS_MASK DesiredAccess;
};
typedef PRINTER_DEFAULTSW* LPPRINTER_DEFAULTSW;

struct PORT_INFO_2W {
    LPWSTR pPortName;
    LPWSTR pMonitorName;
    LPWSTR pDescription;
    DWORD fPortType;
    DWORD Reserved;
};
typedef PORT_INFO_2W* PPORT_INFO_2W;

struct DRIVER_INFO_3W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
    LPWSTR pHelpFile;
    LPWSTR pDependentFiles;
    LPWSTR pMonitorName;
    LPWSTR pDefaultDataType;
};
typedef DRIVER_INFO_3W* PDRIVER_INFO_3W;

#define PRINTER_ENUM_DEFAULT 0x00000001
#define PRINTER_ENUM_LOCAL 0x00000002
#define PRINTER_ENUM_CONNECTIONS 0x00000004
#define PRINTER_ENUM_NAME 0x00000008
#define PRINTER_ATTRIBUTE_LOCAL 0x00000040
#define PRINTER_ATTRIBUTE_NETWORK 0x00000010
#define PRINTER_ALL_ACCESS 0x000F000C
#define PRINTER_STATUS_PAUSED 0x00000001
#define PRINTER_STATUS_PENDING_DELETION 0x00000004
#define PRINTER_CONTROL_PAUSE 1
#define PRINTER_CONTROL_RESUME 2
#define PRINTER_CONTROL_PURGE 3
#define PRINTER_CONTROL_SET_STATUS 4
#define DPD_DELETE_UNUSED_FILES 0x00000001
#define DPD_DELETE_SPECIFIC_VERSION 0x00000002
#define DPD_DELETE_ALL_FILES 0x00000004
#define APD_COPY_NEW_FILES 0x00000008

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed,
                   LPDWORD returned);
BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults);
BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed);
BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE info, DWORD command);
BOOL DeletePrinter(HANDLE printer);
BOOL ClosePrinter(HANDLE printer);
BOOL DeletePrinterDriverExW(LPWSTR server, LPWSTR environment, LPWSTR driverName, DWORD deleteFlag, DWORD versionFlag);
BOOL EnumPortsW(LPWSTR name, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed, LPDWORD returned);
HANDLE AddPrinterW(LPWSTR server, DWORD level, LPBYTE info);
BOOL AddPrinterDriverExW(LPWSTR server, DWORD level, LPBYTE info, DWORD copyFlags);
BOOL EnumPrinterDriversW(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD bufferSize,
                         LPDWORD needed, LPDWORD returned);
BOOL SetDefaultPrinterW(LPCWSTR name);
BOOL GetDefaultPrinterW(LPWSTR buffer, LPDWORD chars);

// The print spooler functions the program calls, from winspool.drv in the system
// folder (a KnownDLL on no Windows version).
#include "platform/spooler.h"
#include "platform/win/system_library.h"

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, EnumPrintersW,
                       (DWORD flags, LPWSTR name, DWORD level, LPBYTE printers, DWORD size, LPDWORD needed,
                        LPDWORD returned),
                       (flags, name, level, printers, size, needed, returned))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, EnumPortsW,
                       (LPWSTR name, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned),
                       (name, level, ports, size, needed, returned))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, OpenPrinterW,
                       (LPWSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults),
                       (printerName, printer, defaults))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, SetPrinterW,
                       (HANDLE printer, DWORD level, LPBYTE data, DWORD command), (printer, level, data, command))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, DeletePrinter, (HANDLE printer), (printer))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, ClosePrinter, (HANDLE printer), (printer))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, DeletePrinterDriverExW,
                       (LPWSTR server, LPWSTR environment, LPWSTR driverName, DWORD deleteFlags, DWORD versionFlags),
                       (server, environment, driverName, deleteFlags, versionFlags))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, GetPrinterW,
                       (HANDLE printer, DWORD level, LPBYTE data, DWORD size, LPDWORD needed),
                       (printer, level, data, size, needed))

KORVEL_SYSTEM_FUNCTION(kWinspool, FALSE, WINBOOL, GetDefaultPrinterW, (LPWSTR buffer, LPDWORD chars), (buffer, chars))

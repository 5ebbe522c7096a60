// spoolstate: the print spooler's state as the Wine tests check it, and the set-up
// of printers that a test needs beforehand.
//
//   spoolstate [list]             printers (name, driver, port), the default printer, drivers
//   spoolstate ports              the ports (EnumPortsW level 2)
//   spoolstate add NAME PORT [DRIVER]
//                                 adds the driver DRIVER (default: NAME; Wine's PostScript
//                                 driver files) when it is missing, and a local printer
//                                 NAME on PORT with it
//   spoolstate clear              deletes every local printer and every driver
//
// Output is UTF-8, one line per fact:
//   printer "NAME" driver "DRIVER" port "PORT"
//   default "NAME"        (or: default none)
//   driver "NAME"
#include <windows.h>
#include <winspool.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/uidriver/wintext.h"

namespace {

std::string Q(const wchar_t* s)
{
    std::string out = "\"";
    for (char c : wintext::ToUtf8(s ? s : L"")) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

template <class Call>
bool TwoCalls(Call call, std::vector<BYTE>* buffer, DWORD* count)
{
    DWORD needed = 0;
    *count = 0;
    if (!call(nullptr, 0, &needed, count)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        buffer->assign(needed, 0);
        return call(buffer->data(), needed, &needed, count) != FALSE;
    }
    return true;
}

// Local printers at a level, or drivers at level 1, into buffer; on failure the
// error is printed and false returned.
bool LocalPrinters(DWORD level, std::vector<BYTE>* buffer, DWORD* count)
{
    if (TwoCalls([level](BYTE* b, DWORD size, DWORD* needed,
                         DWORD* n) { return ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, b, size, needed, n); },
                 buffer, count))
        return true;
    std::printf("error EnumPrintersW %lu\n", ::GetLastError());
    return false;
}

bool Drivers(std::vector<BYTE>* buffer, DWORD* count)
{
    if (TwoCalls([](BYTE* b, DWORD size, DWORD* needed,
                    DWORD* n) { return ::EnumPrinterDriversW(nullptr, nullptr, 1, b, size, needed, n); },
                 buffer, count))
        return true;
    std::printf("error EnumPrinterDriversW %lu\n", ::GetLastError());
    return false;
}

int List()
{
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!LocalPrinters(2, &buffer, &count)) return 1;
    auto* printers = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        std::printf("printer %s driver %s port %s\n", Q(printers[i].pPrinterName).c_str(),
                    Q(printers[i].pDriverName).c_str(), Q(printers[i].pPortName).c_str());

    wchar_t name[512];
    DWORD chars = 512;
    if (::GetDefaultPrinterW(name, &chars))
        std::printf("default %s\n", Q(name).c_str());
    else
        std::printf("default none\n");

    if (!Drivers(&buffer, &count)) return 1;
    auto* drivers = reinterpret_cast<DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) std::printf("driver %s\n", Q(drivers[i].pName).c_str());
    return 0;
}

int Ports()
{
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!TwoCalls(
            [](BYTE* b, DWORD size, DWORD* needed, DWORD* n) { return ::EnumPortsW(nullptr, 2, b, size, needed, n); },
            &buffer, &count)) {
        std::printf("error EnumPortsW %lu\n", ::GetLastError());
        return 1;
    }
    auto* ports = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) std::printf("port %s\n", Q(ports[i].pPortName).c_str());
    return 0;
}

int Add(const wchar_t* name, const wchar_t* port, const wchar_t* driverName)
{
    wchar_t file[] = L"wineps.drv";
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(driverName);
    driver.pDriverPath = file;
    driver.pDataFile = file;
    driver.pConfigFile = file;
    if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) &&
        ::GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        std::printf("error AddPrinterDriverExW %lu\n", ::GetLastError());
        return 1;
    }
    wchar_t processor[] = L"WinPrint";
    wchar_t datatype[] = L"RAW";
    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = const_cast<wchar_t*>(name);
    printer.pPortName = const_cast<wchar_t*>(port);
    printer.pDriverName = const_cast<wchar_t*>(driverName);
    printer.pPrintProcessor = processor;
    printer.pDatatype = datatype;
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!handle) {
        std::printf("error AddPrinterW %lu\n", ::GetLastError());
        return 1;
    }
    ::ClosePrinter(handle);
    return 0;
}

int Clear()
{
    std::vector<BYTE> buffer;
    DWORD count = 0;
    int failures = 0;
    if (!LocalPrinters(4, &buffer, &count)) return 1;
    auto* printers = reinterpret_cast<PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        HANDLE handle = nullptr;
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (!::OpenPrinterW(printers[i].pPrinterName, &handle, &access) || !::DeletePrinter(handle)) {
            std::printf("error deleting printer %s: %lu\n", Q(printers[i].pPrinterName).c_str(), ::GetLastError());
            ++failures;
        }
        if (handle) ::ClosePrinter(handle);
    }
    if (!Drivers(&buffer, &count)) return 1;
    auto* drivers = reinterpret_cast<DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (!::DeletePrinterDriverExW(nullptr, nullptr, drivers[i].pName, 0, 0)) {
            std::printf("error deleting driver %s: %lu\n", Q(drivers[i].pName).c_str(), ::GetLastError());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    std::wstring command = argc > 1 ? argv[1] : L"list";
    if (command == L"list" && argc <= 2) return List();
    if (command == L"ports" && argc == 2) return Ports();
    if (command == L"clear" && argc == 2) return Clear();
    if (command == L"add" && (argc == 4 || argc == 5)) return Add(argv[2], argv[3], argc == 5 ? argv[4] : argv[2]);
    std::fprintf(stderr, "usage: spoolstate [list] | ports | clear | add NAME PORT [DRIVER]\n");
    return 1;
}

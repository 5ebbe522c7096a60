// The spooler's ports, for the port page.
#include <new>

#include "installer/PrinterInstaller.h"
#include "platform/kernel.h"
#include "platform/spooler.h"

BOOL CPrinterInstaller::GetPortList(CStringList& ports)
{
    DWORD needed = 0;
    DWORD returned = 0;
    BYTE* buffer = nullptr;
    DWORD size = 0;
    if (!::EnumPortsW(nullptr, 2, nullptr, 0, &needed, &returned)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return FALSE;
        buffer = new (std::nothrow) BYTE[needed];
        if (!buffer) return FALSE;
        size = needed;
    }
    if (!::EnumPortsW(nullptr, 2, buffer, size, &needed, &returned)) {
        delete[] buffer;
        return FALSE;
    }
    const PORT_INFO_2W* info = reinterpret_cast<const PORT_INFO_2W*>(buffer);
    for (DWORD i = 0; info && i < returned; ++i) ports.push_back(CString(info[i].pPortName));
    delete[] buffer;
    return TRUE;
}

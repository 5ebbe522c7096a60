// The spooler's ports, for the port page.
#include "installer/PrinterInstaller.h"
#include "platform/spooler.h"
#include "platform/two_call.h"

BOOL CPrinterInstaller::GetPortList(CStringList& ports)
{
    DWORD returned = 0;
    auto enumerate = [&returned](BYTE* buffer, DWORD size, DWORD* needed) {
        return ::EnumPortsW(nullptr, 2, buffer, size, needed, &returned);
    };
    two_call::Buffer buffer;
    if (buffer.Fetch(enumerate) != two_call::kFetched) return FALSE;
    const PORT_INFO_2W* info = reinterpret_cast<const PORT_INFO_2W*>(buffer.Data());
    for (DWORD i = 0; info && i < returned; ++i) ports.push_back(CString(info[i].pPortName));
    return TRUE;
}

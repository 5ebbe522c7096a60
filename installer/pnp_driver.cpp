// The Plug and Play road: the USB hardware ID of the chosen printer from the driver
// INF's model lines, and the driver update of the devices that carry it.
#include "installer/PrinterInstaller.h"
#include "installer/inf_model_match.h"
#include "platform/devinst.h"
#include "platform/kernel.h"

int CPrinterInstaller::FindHardwareId(CString infPath, CString quotedName, int quotedLength, BYTE* idBuffer)
{
    if (!idBuffer) return 0;
    WString match = inf_model_match::MatchText(quotedName);
    CStdioFile inf;
    // An INF that cannot be opened (such as the bare driver directory when the
    // catalogue gives no type) holds no hardware ID.
    if (!inf.Open(infPath, CStdioFile::modeRead | CStdioFile::typeText)) return 0;
    CString line;
    while (inf.ReadString(line)) {
        WString id;
        if (!inf_model_match::Accept(line, match.c_str(), quotedLength, id)) continue;
        for (size_t i = 0; i < id.size(); ++i) idBuffer[i] = static_cast<BYTE>(id[i] & 0xFF);
        inf.Close();
        return 1;
    }
    inf.Close();
    return 0;
}

int CPrinterInstaller::InstallPnpDriver()
{
    BuildDriverInfPath();
    CString quoted = CString(TEXT("\"")) + m_szPrinterName + TEXT("\"");
    BYTE id[inf_model_match::kHardwareIdBytes] = {0};
    if (!FindHardwareId(m_szDriverInf, quoted, quoted.GetLength(), id)) return 0;

    WString hardwareId;
    if (!inf_model_match::WidenHardwareId(id, hardwareId)) return 0;
    BOOL rebootRequired = FALSE;
    return ::UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId.c_str(), m_szDriverInf, INSTALLFLAG_FORCE,
                                                &rebootRequired)
               ? 1
               : 0;
}

// The Plug and Play road: the USB hardware ID of the chosen printer from the driver
// INF's model lines, and the driver update of the devices that carry it.
#include "installer/PrinterInstaller.h"
#include "installer/error_text.h"
#include "installer/inf_model_match.h"
#include "platform/devinst.h"
#include "platform/kernel.h"

int CPrinterInstaller::FindHardwareId(CString infPath, CString quotedName, int quotedLength, BYTE* idBuffer)
{
    if (!idBuffer) return kResultFailed;
    WString match = inf_model_match::MatchText(quotedName);
    CStdioFile inf;
    // An INF that cannot be opened (such as the bare driver directory when the
    // catalogue gives no type) holds no hardware ID.
    if (!inf.Open(infPath, CStdioFile::modeRead | CStdioFile::typeText)) return kResultFailed;
    CString line;
    while (inf.ReadString(line)) {
        WString id;
        if (!inf_model_match::Accept(line, match.c_str(), quotedLength, id)) continue;
        for (size_t i = 0; i < id.size(); ++i) idBuffer[i] = static_cast<BYTE>(id[i] & 0xFF);
        inf.Close();
        return kResultOk;
    }
    inf.Close();
    return kResultFailed;
}

int CPrinterInstaller::InstallPnpDriver()
{
    BuildDriverInfPath();
    m_bRebootRequired = 0;
    CString quoted = CString(TEXT("\"")) + m_szPrinterName + TEXT("\"");
    BYTE id[inf_model_match::kHardwareIdBytes] = {0};
    if (!FindHardwareId(m_szDriverInf, quoted, quoted.GetLength(), id)) {
        LogStep(TEXT("no USB hardware ID for \"%s\" in %s"), m_szPrinterName, m_szDriverInf);
        return kResultFailed;
    }

    WString hardwareId;
    if (!inf_model_match::WidenHardwareId(id, hardwareId)) return kResultFailed;
    LogStep(TEXT("Plug and Play driver update for hardware ID %s from %s"), hardwareId.c_str(), m_szDriverInf);
    // Unattended, nobody could answer a question of the driver installation (it may run
    // as the system account, where no window shows): it fails instead.
    DWORD flags = m_bQuiet ? INSTALLFLAG_FORCE | INSTALLFLAG_NONINTERACTIVE : INSTALLFLAG_FORCE;
    BOOL rebootRequired = FALSE;
    if (!::UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId.c_str(), m_szDriverInf, flags, &rebootRequired)) {
        LogStep(TEXT("the driver update failed: %s"), error_text::Describe(::GetLastError()).c_str());
        return kResultFailed;
    }
    m_bRebootRequired = rebootRequired ? kResultOk : kResultFailed;
    LogStep(TEXT("the driver update succeeded; restart required: %s"), rebootRequired ? TEXT("yes") : TEXT("no"));
    return kResultOk;
}

// Construction, setup-medium paths, the INI readers, keyed catalogue look-ups and
// the accessors of CPrinterInstaller.
#include <cstdarg>

#include "installer/PrinterInstaller.h"
#include "platform/kernel.h"

CPrinterInstaller::CPrinterInstaller() { Init(); }

void CPrinterInstaller::Init()
{
    m_szSetupDir[0] = 0;
    m_szInfoFile[0] = 0;
    m_szDriverInf[0] = 0;
    m_szPrinterName[0] = 0;
    m_szPortName[0] = 0;
    m_bSetDefault = 0;
    m_bPrintTestPage = 0;
    m_bQuiet = 0;
    m_bRebootRequired = 0;
    m_bLastRundll32Succeeded = 0;
    m_pStepLog = nullptr;
    LocateSetupDir();
    BuildInfoFilePath();
    BuildDriverInfPath();
}

void CPrinterInstaller::LocateSetupDir()
{
    WCHAR path[MAX_PATH] = {0};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) path[0] = 0;  // no path, or one that was cut
    int cut = -1;
    for (int i = static_cast<int>(text::Length(path)) - 1; i >= 0; --i) {
        if (path[i] == '\\') {
            cut = i;
            break;
        }
    }
    path[cut + 1] = 0;  // keep up to and including the last backslash
    m_szSetupDir[0] = 0;
    text::Copy(m_szSetupDir, kPathCapacity, path);
}

int CPrinterInstaller::SetSetupDir(LPCWSTR directory)
{
    m_szSetupDir[0] = 0;
    int status = text::Copy(m_szSetupDir, kPathCapacity, directory);
    size_t length = text::Length(m_szSetupDir);
    if (status == text::kOk && length > 0 && m_szSetupDir[length - 1] != '\\')
        status = text::Append(m_szSetupDir, kPathCapacity, TEXT("\\"));
    if (status != text::kOk) m_szSetupDir[0] = 0;
    BuildInfoFilePath();
    BuildDriverInfPath();
    return status;
}

// Without a setup directory the medium's paths stay empty: a bare "PrinterInfor.Inf"
// would name a file in the Windows directory, and a bare "PrinterDriver\" one below
// whatever the current directory happens to be.
void CPrinterInstaller::BuildInfoFilePath()
{
    m_szInfoFile[0] = 0;
    if (!m_szSetupDir[0]) return;
    if (text::Copy(m_szInfoFile, kPathCapacity, m_szSetupDir) == text::kOk)
        text::Append(m_szInfoFile, kPathCapacity, TEXT("PrinterInfor.Inf"));
}

void CPrinterInstaller::BuildDriverInfPath()
{
    m_szDriverInf[0] = 0;
    if (!m_szSetupDir[0]) return;
    if (text::Copy(m_szDriverInf, kPathCapacity, m_szSetupDir) != text::kOk) return;
    if (text::Append(m_szDriverInf, kPathCapacity, TEXT("PrinterDriver\\")) != text::kOk) return;
    switch (GetPrinterType(m_szPrinterName)) {
    case kType24Pin: text::Append(m_szDriverInf, kPathCapacity, TEXT("24pin\\OEMPRINT.INF")); break;
    case kType9Pin: text::Append(m_szDriverInf, kPathCapacity, TEXT("9pin\\OEMPRINT.INF")); break;
    default: break;  // no type: the path names the driver directory itself
    }
}

int CPrinterInstaller::ReadSection(LPCWSTR section, LPCWSTR file, LPWSTR buffer, int capacity)
{
    if (capacity <= 2) return 0;
    DWORD n = ::GetPrivateProfileSectionW(section, buffer, static_cast<DWORD>(capacity), file);
    if (n == 0 || n == static_cast<DWORD>(capacity - 2)) return 0;  // absent, or too large to fit
    return static_cast<int>(n);
}

int CPrinterInstaller::ReadValue(LPCWSTR section, LPCWSTR key, LPCWSTR file, LPWSTR buffer, int capacity)
{
    if (capacity <= 2) return kResultFailed;
    DWORD n = ::GetPrivateProfileStringW(section, key, nullptr, buffer, static_cast<DWORD>(capacity), file);
    // The reader cuts a long value to capacity - 1 characters and reports that
    // count, so a result that long may be a cut value: refuse it, as well as the
    // capacity - 2 that the section reader uses for "did not fit".
    if (n == 0 || n >= static_cast<DWORD>(capacity - 2)) return kResultFailed;
    return kResultOk;
}

int CPrinterInstaller::GetPrinterType(LPCWSTR printerName)
{
    // An empty name is no printer; the reader would match it to an "=..." line.
    if (!printerName || !printerName[0]) return kNoType;
    WCHAR type[20] = {0};
    if (!ReadValue(TEXT("PRINTER_TYPE"), printerName, m_szInfoFile, type, 20)) return kNoType;
    if (text::Equal(type, TEXT("24"))) return kType24Pin;
    if (text::Equal(type, TEXT("9"))) return kType9Pin;
    return kNoType;
}

int CPrinterInstaller::GetPrinterDisplayName(LPCWSTR model, LPWSTR out, int capacity)
{
    if (!model || !model[0]) {  // no model, no printer name (and never an "=..." line's)
        if (out && capacity > 0) out[0] = 0;
        return kResultFailed;
    }
    return ReadValue(TEXT("PRINTER_NAME"), model, m_szInfoFile, out, capacity) ? kResultOk : kResultFailed;
}

int CPrinterInstaller::SetPrinterName(LPCWSTR name)
{
    // A refused copy leaves the field empty, never the earlier name.
    return text::Copy(m_szPrinterName, kNameCapacity, name);
}

int CPrinterInstaller::GetPrinterName(LPWSTR out, int capacity) const
{
    return text::Copy(out, capacity > 0 ? static_cast<size_t>(capacity) : 0, m_szPrinterName);
}

int CPrinterInstaller::SetPortName(LPCWSTR port) { return text::Copy(m_szPortName, kNameCapacity, port); }

int CPrinterInstaller::GetPortName(LPWSTR out, int capacity) const
{
    return text::Copy(out, capacity > 0 ? static_cast<size_t>(capacity) : 0, m_szPortName);
}

void CPrinterInstaller::SetSetDefault(int value) { m_bSetDefault = value == 1 ? 1 : 0; }
void CPrinterInstaller::SetPrintTestPage(int value) { m_bPrintTestPage = value == 1 ? 1 : 0; }

void CPrinterInstaller::LogStep(LPCWSTR format, ...) const
{
    if (!m_pStepLog) return;
    va_list args;
    va_start(args, format);
    WString line = text::FormatV(format, args);
    va_end(args);
    m_pStepLog->Step(line.c_str());
}

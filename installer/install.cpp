// The installation: Plug and Play driver update when a USB printer is attached
// whose model the catalogue lists, the printer-UI command in every other case.
#include "installer/PrinterInstaller.h"

int CPrinterInstaller::Install()
{
    BuildDriverInfPath();

    BOOL detected = FALSE;
    BOOL catalogued = FALSE;
    {
        // Detection and lookup run on an installer of their own, built from the
        // program's location as at start-up, so this object's fields stay as the
        // pages left them.
        CPrinterInstaller probe;
        CString model;
        CString series;
        detected = probe.DetectUsbModel(model);
        catalogued = probe.FindSeriesOfModel(series, model);  // asked even with no model
        if (detected)
            LogStep(TEXT("the installation finds the USB printer \"%s\"%s"), model.Str().c_str(),
                    catalogued ? TEXT(", in the catalogue") : TEXT(", not in the catalogue"));
    }
    LogStep(TEXT("installing \"%s\" on port %s by %s, driver INF %s"), m_szPrinterName, m_szPortName,
            detected && catalogued ? TEXT("Plug and Play driver update") : TEXT("the printer-UI command"),
            m_szDriverInf);

    // The Plug and Play road is final: when it fails there is no second try by
    // the printer-UI command.
    if (detected && catalogued) return InstallPnpDriver() ? kResultOk : kResultFailed;
    return InstallPrinter(nullptr, nullptr) ? kResultOk : kResultFailed;
}

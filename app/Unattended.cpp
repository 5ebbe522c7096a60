#include "app/Unattended.h"

#include "detect/USBPort.h"
#include "platform/kernel.h"

namespace unattended {

namespace {

const WCHAR* TypeText(int type) { return type == 1 ? TEXT("24") : type == 2 ? TEXT("9") : TEXT("-"); }

// The catalogue must list something before any model can be looked for in it.
bool CatalogueReadable(CPrinterInstaller& installer)
{
    CStringList series;
    if (installer.GetSeriesList(series) && !series.empty()) return true;
    installer.LogStep(TEXT("the catalogue %s lists no series"), installer.InfoFile());
    return false;
}

// The port when none is given: the attached printer's USB port when it is the model
// to install and the catalogue lists it, as the port page takes it; else LPT1:.
CString DefaultPort(bool attachedIsTheModel)
{
    CString port = TEXT("LPT1:");
    if (attachedIsTheModel) {
        CUSBPort usb;
        CString usbPort;
        if (usb.GetUsbPortName(usbPort)) port = usbPort;
        usb.CloseDevice();
    }
    return port;
}

}  // namespace

int Install(CPrinterInstaller& installer, const cmdline::Options& options)
{
    installer.SetQuiet(1);
    if (!CatalogueReadable(installer)) return kFailed;

    // What is attached, as the wizard's pages see it.
    CString attached, attachedSeries;
    BOOL usb = installer.DetectUsbModel(attached);
    bool attachedKnown = usb && installer.FindSeriesOfModel(attachedSeries, attached);
    if (!usb)
        installer.LogStep(TEXT("no USB printer attached"));
    else if (attachedKnown)
        installer.LogStep(TEXT("USB printer attached: model \"%s\", in the catalogue"), attached.Str().c_str());
    else
        installer.LogStep(TEXT("USB printer attached: model \"%s\", not in the catalogue"), attached.Str().c_str());

    CString model = options.model.empty() ? attached : CString(options.model);
    CString series = attachedSeries;
    if (options.model.empty() && !attachedKnown) {
        installer.LogStep(TEXT("no /model given and no printer of the catalogue attached: nothing to install"));
        return kBadCommandLine;
    }
    if (!options.model.empty() && !installer.FindSeriesOfModel(series, model)) {
        installer.LogStep(TEXT("model \"%s\" is not in the catalogue (/list shows its models)"), model.Str().c_str());
        return kBadCommandLine;
    }

    WCHAR printer[CPrinterInstaller::kPathCapacity] = {0};
    if (!installer.GetPrinterDisplayName(model, printer, CPrinterInstaller::kPathCapacity) ||
        installer.SetPrinterName(printer) != text::kOk) {
        installer.LogStep(TEXT("the catalogue names no printer for model \"%s\""), model.Str().c_str());
        return kFailed;
    }
    installer.LogStep(TEXT("catalogue: series \"%s\", model \"%s\", printer \"%s\", type %s"), series.Str().c_str(),
                      model.Str().c_str(), printer, TypeText(installer.GetPrinterType(printer)));

    // A port the printer-UI command could not carry whole is a fault of the command line.
    if (text::Find(options.port.c_str(), '"') || options.port.size() >= CPrinterInstaller::kNameCapacity) {
        installer.LogStep(TEXT("the port %s is too long or holds a quotation mark"), options.port.c_str());
        return kBadCommandLine;
    }
    CString port = options.port.empty() ? DefaultPort(attachedKnown && attached == model) : CString(options.port);
    installer.SetPortName(port);
    installer.LogStep(TEXT("port %s%s"), port.Str().c_str(), options.port.empty() ? TEXT(" (the default)") : TEXT(""));

    installer.SetSetDefault(options.noDefault ? 0 : 1);
    installer.SetPrintTestPage(options.testPage ? 1 : 0);
    if (installer.RemoveExistingFamily() == CPrinterInstaller::kRemovalNotStarted) return kFailed;
    if (!installer.InstallAndFinish()) return kFailed;
    return installer.GetRebootRequired() ? kRestartNeeded : kInstalled;
}

int ListCatalogue(CPrinterInstaller& installer)
{
    CStringList seriesList;
    if (!installer.GetSeriesList(seriesList) || seriesList.empty()) {
        installer.LogStep(TEXT("the catalogue %s lists no series"), installer.InfoFile());
        WriteStandardText(
            STD_ERROR_HANDLE,
            text::Format(TEXT("KorvelSetup: the catalogue %s lists no series\n"), installer.InfoFile()).c_str());
        return kFailed;
    }
    WString out = TEXT("series\tmodel\tprinter name\ttype\n");
    for (const CString& series : seriesList) {
        CStringList models;
        installer.GetSeriesModels(series, models);
        for (const CString& model : models) {
            WCHAR printer[CPrinterInstaller::kPathCapacity] = {0};
            installer.GetPrinterDisplayName(model, printer, CPrinterInstaller::kPathCapacity);
            out += text::Format(TEXT("%s\t%s\t%s\t%s\n"), series.Str().c_str(), model.Str().c_str(), printer,
                                TypeText(printer[0] ? installer.GetPrinterType(printer) : -1));
        }
    }
    if (!WriteStandardText(STD_OUTPUT_HANDLE, out.c_str()))
        installer.LogStep(TEXT("the catalogue could not be written to standard output"));
    return kInstalled;
}

const WCHAR* Outcome(int exitCode)
{
    switch (exitCode) {
    case kInstalled: return TEXT("installed");
    case kRestartNeeded: return TEXT("installed; Windows asks for a restart");
    case kFailed: return TEXT("the installation failed");
    case kBadCommandLine: return TEXT("bad command line, nothing installed");
    default: return TEXT("ended");
    }
}

}  // namespace unattended

#include "app/Unattended.h"

#include <memory>
#include <new>

#include "detect/USBPort.h"
#include "installer/error_text.h"
#include "installer/inf_model_match.h"
#include "platform/kernel.h"
#include "platform/security.h"

namespace unattended {

namespace {

// Windows makes a Plug and Play printer's queue after its driver update returns, when
// the spooler learns of the device: the check waits for it this long, looking again
// at this pace.
constexpr DWORD kQueueWaitMs = 30000;
constexpr DWORD kQueuePollMs = 1000;

const WCHAR* TypeText(int type)
{
    return type == CPrinterInstaller::kType24Pin  ? TEXT("24")
           : type == CPrinterInstaller::kType9Pin ? TEXT("9")
                                                  : TEXT("-");
}

bool SameText(const WCHAR* a, const WCHAR* b)
{
    return text::EqualIgnoringCase(a, text::Length(a), b, text::Length(b));
}

// The catalogue must list something before any model can be looked for in it.
bool CatalogueReadable(CPrinterInstaller& installer)
{
    CStringList series;
    if (installer.GetSeriesList(series) && !series.empty()) return true;
    installer.LogStep(TEXT("the catalogue %s lists no series"), installer.InfoFile());
    return false;
}

// The model's printer name from the catalogue, stored in the installer; 0, or the exit
// code of the fault.
int ChoosePrinter(CPrinterInstaller& installer, const CString& model, CString& series)
{
    if (!installer.FindSeriesOfModel(series, model)) {
        installer.LogStep(TEXT("model \"%s\" is not in the catalogue (/list shows its models)"), model.Str().c_str());
        return kBadCommandLine;
    }
    WCHAR printer[CPrinterInstaller::kPathCapacity] = {0};
    if (!installer.GetPrinterDisplayName(model, printer, CPrinterInstaller::kPathCapacity) ||
        installer.SetPrinterName(printer) != text::kOk) {
        installer.LogStep(TEXT("the catalogue names no printer for model \"%s\""), model.Str().c_str());
        return kBadCommandLine;
    }
    return 0;
}

enum class Account { kUser, kSystem, kUnknown };

// Whether the process runs as the local system account (its token's user is
// S-1-5-18), as deployment tools and startup scripts run it.
Account RunningAccount(CPrinterInstaller& installer)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        installer.LogStep(TEXT("the account cannot be told: %s"), error_text::Describe(::GetLastError()).c_str());
        return Account::kUnknown;
    }
    Account account = Account::kUnknown;
    DWORD needed = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    std::unique_ptr<BYTE[]> user(needed ? new (std::nothrow) BYTE[needed] : nullptr);
    if (user && ::GetTokenInformation(token, TokenUser, user.get(), needed, &needed))
        account = ::IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, WinLocalSystemSid)
                      ? Account::kSystem
                      : Account::kUser;
    else
        installer.LogStep(TEXT("the account cannot be told: %s"), error_text::Describe(::GetLastError()).c_str());
    ::CloseHandle(token);
    return account;
}

// The attached printer's USB port, as the port page derives it; empty when none.
CString AttachedUsbPort()
{
    CUSBPort usb;
    CString port;
    if (!usb.GetUsbPortName(port)) port = CString();
    usb.CloseDevice();
    return port;
}

// The spooler's own spelling of the port; 0, or the exit code of the fault.
int CheckPort(CPrinterInstaller& installer, CString& port)
{
    // A port the printer-UI command could not carry whole is a fault of the command line.
    if (text::Find(port.Str().c_str(), '"') || port.GetLength() >= CPrinterInstaller::kNameCapacity) {
        installer.LogStep(TEXT("the port %s is too long or holds a quotation mark"), port.Str().c_str());
        return kBadCommandLine;
    }
    CStringList ports;
    if (!installer.GetPortList(ports)) {
        installer.LogStep(TEXT("the spooler's ports cannot be listed (%s): nothing changed"),
                          error_text::Describe(::GetLastError()).c_str());
        return kFailed;
    }
    WString all;
    for (const CString& p : ports) {
        if (SameText(p, port)) {
            port = p;
            return 0;
        }
        all += (all.empty() ? TEXT("") : TEXT(" ")) + p.Str();
    }
    installer.LogStep(TEXT("the port %s is not one of this PC's ports: %s"), port.Str().c_str(),
                      all.empty() ? TEXT("(none)") : all.c_str());
    return kBadCommandLine;
}

// The queued jobs that a removal of the family drops, said before they go.
void LogQueuedJobs(CPrinterInstaller& installer, const std::vector<CPrinterInstaller::InstalledPrinter>& family)
{
    for (const CPrinterInstaller::InstalledPrinter& p : family)
        if (p.jobs > 0)
            installer.LogStep(TEXT("printer \"%s\" has %u queued job(s), which its removal drops"),
                              p.name.Str().c_str(), static_cast<unsigned>(p.jobs));
}

// The Plug and Play road's check: the spooler makes the queue after the driver update
// returns, so it is looked for a while.
bool PnpQueueInPlace(CPrinterInstaller& installer)
{
    WString why;
    CPrinterInstaller::Placement placement =
        installer.CheckPlacement(installer.PrinterName(), installer.PortName(), &why);
    for (DWORD waited = 0; placement == CPrinterInstaller::kAbsent && waited < kQueueWaitMs; waited += kQueuePollMs) {
        if (waited == 0) installer.LogStep(TEXT("waiting for Windows to make the printer's queue"));
        ::Sleep(kQueuePollMs);
        placement = installer.CheckPlacement(installer.PrinterName(), installer.PortName(), &why);
    }
    if (placement == CPrinterInstaller::kInPlace) {
        installer.LogStep(TEXT("printer \"%s\" is installed on port %s"), installer.PrinterName(),
                          installer.PortName());
        return true;
    }
    installer.LogStep(TEXT("printer \"%s\" is not installed as asked after the driver update: %s"),
                      installer.PrinterName(), why.c_str());
    return false;
}

// The steps after the installation that the command line asked for; a step that fails
// fails the run, the printer staying installed.
int Finish(CPrinterInstaller& installer, bool setDefault, bool defaultUntold, bool testPage, int exitCode)
{
    if (defaultUntold) {
        installer.LogStep(TEXT("printer \"%s\" was not made the default printer, since the account is unknown; it "
                               "stays installed"),
                          installer.PrinterName());
        exitCode = kFailed;
    }
    if (setDefault) {
        installer.SetSetDefault(1);
        if (!installer.SetDefaultPrinter() || !installer.IsDefaultPrinter(installer.PrinterName())) {
            installer.LogStep(TEXT("printer \"%s\" could not be made the default printer; it stays installed"),
                              installer.PrinterName());
            exitCode = kFailed;
        }
    }
    if (testPage) {
        installer.SetPrintTestPage(1);
        if (!installer.PrintTestPage() || !installer.GetLastRundll32Succeeded()) {
            installer.LogStep(TEXT("no test page was printed on \"%s\"; the printer stays installed"),
                              installer.PrinterName());
            exitCode = kFailed;
        }
    }
    return exitCode;
}

}  // namespace

int Install(CPrinterInstaller& installer, const cmdline::Options& options)
{
    installer.SetQuiet(1);
    installer.SetSetDefault(0);
    installer.SetPrintTestPage(0);
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
    if (options.model.empty() && !attachedKnown) {
        installer.LogStep(TEXT("no /model given and no printer of the catalogue is attached: nothing to install"));
        return kFailed;
    }

    // Everything that can be known before the removal: a fault is the command line's
    // (or the medium's), and nothing has changed yet.
    CString model = options.model.empty() ? attached : CString(options.model);
    CString series;
    if (int fault = ChoosePrinter(installer, model, series)) return fault;
    int type = installer.GetPrinterType(installer.PrinterName());
    installer.LogStep(TEXT("catalogue: series \"%s\", model \"%s\", printer \"%s\", type %s"), series.Str().c_str(),
                      model.Str().c_str(), installer.PrinterName(), TypeText(type));
    if (type != 1 && type != 2) {
        installer.LogStep(TEXT("the catalogue gives printer \"%s\" no type the setup takes (24 or 9)"),
                          installer.PrinterName());
        return kBadCommandLine;
    }

    // Plug and Play only for what was asked: the attached printer's own model, on its
    // USB port; every other model or port by the printer-UI command.
    bool attachedIsTheModel = attachedKnown && attached == model;
    CString usbPort = attachedIsTheModel ? AttachedUsbPort() : CString();
    bool pnp = attachedIsTheModel && (options.port.empty() || SameText(options.port.c_str(), usbPort));
    if (pnp && usbPort.IsEmpty()) {
        installer.LogStep(TEXT("the USB port of the attached printer cannot be found: nothing changed"));
        return kFailed;
    }
    CString port = !options.port.empty() ? CString(options.port) : pnp ? usbPort : CString(TEXT("LPT1:"));
    if (int fault = CheckPort(installer, port)) return fault;
    installer.SetPortName(port);
    installer.LogStep(TEXT("port %s%s"), port.Str().c_str(), options.port.empty() ? TEXT(" (the default)") : TEXT(""));
    WString why;
    if (!installer.InfListsPrinter(&why)) {
        installer.LogStep(TEXT("%s"), why.c_str());
        return kBadCommandLine;
    }
    if (pnp) {
        CString quoted = CString(TEXT("\"")) + installer.PrinterName() + TEXT("\"");
        BYTE id[inf_model_match::kHardwareIdBytes] = {0};
        if (!installer.FindHardwareId(installer.DriverInf(), quoted, quoted.GetLength(), id)) {
            installer.LogStep(TEXT("no USB hardware ID for \"%s\" in %s"), installer.PrinterName(),
                              installer.DriverInf());
            return kBadCommandLine;
        }
    }

    // The default printer belongs to each user: the system account's is nobody's. When
    // the account cannot be told, neither can whether the step means anything: it is
    // not done, and the run fails once the printer is installed.
    bool setDefault = !options.noDefault;
    bool defaultUntold = false;
    if (setDefault) {
        Account account = RunningAccount(installer);
        if (account == Account::kSystem)
            installer.LogStep(
                TEXT("the program runs as the system account (S-1-5-18): the default printer belongs "
                     "to each user, so none is set"));
        defaultUntold = account == Account::kUnknown;
        setDefault = account == Account::kUser;
    }

    WString state;
    CPrinterInstaller::Placement placement = installer.CheckPlacement(installer.PrinterName(), port, &state);
    if (placement == CPrinterInstaller::kInPlace && !options.repair) {
        installer.LogStep(TEXT("printer \"%s\" is already installed on port %s with its driver: nothing to change"),
                          installer.PrinterName(), port.Str().c_str());
        return Finish(installer, setDefault, defaultUntold, options.testPage, kInstalled);
    }
    if (placement == CPrinterInstaller::kInPlace)
        installer.LogStep(TEXT("printer \"%s\" is in place; /repair replaces it"), installer.PrinterName());
    else if (placement == CPrinterInstaller::kNotAsAsked)
        installer.LogStep(TEXT("printer \"%s\" is not as asked (%s): it is replaced"), installer.PrinterName(),
                          state.c_str());

    std::vector<CPrinterInstaller::InstalledPrinter> family;
    installer.ListFamily(installer.PrinterName(), family);
    LogQueuedJobs(installer, family);
    if (installer.RemoveExistingFamily() == CPrinterInstaller::kRemovalNotStarted) return kFailed;
    // A printer of the family that survived its removal would make the new one a copy
    // beside it: nothing is installed then.
    CStringList left;
    int remaining = installer.FindInstalledPrinters(installer.PrinterName(), left);
    if (remaining != 0) {
        if (remaining == CPrinterInstaller::kEnumerationFailed)
            installer.LogStep(TEXT("the local printers cannot be listed after the removal: nothing installed"));
        for (const CString& p : left)
            installer.LogStep(TEXT("printer \"%s\" is still installed after the removal: nothing installed beside it"),
                              p.Str().c_str());
        return kFailed;
    }

    installer.LogStep(TEXT("installing \"%s\" on port %s by %s, driver INF %s"), installer.PrinterName(),
                      installer.PortName(), pnp ? TEXT("Plug and Play driver update") : TEXT("the printer-UI command"),
                      installer.DriverInf());
    if (pnp ? !(installer.InstallPnpDriver() && PnpQueueInPlace(installer)) : !installer.InstallPrinter())
        return kFailed;
    return Finish(installer, setDefault, defaultUntold, options.testPage,
                  pnp && installer.GetRebootRequired() ? kRestartNeeded : kInstalled);
}

int Uninstall(CPrinterInstaller& installer, const cmdline::Options& options)
{
    installer.SetQuiet(1);
    if (!CatalogueReadable(installer)) return kFailed;
    CString series;
    if (int fault = ChoosePrinter(installer, CString(options.model), series)) return fault;
    const WCHAR* name = installer.PrinterName();
    installer.LogStep(TEXT("removing printer \"%s\" (model \"%s\"), its copies and its driver"), name,
                      options.model.c_str());

    std::vector<CPrinterInstaller::InstalledPrinter> family;
    int found = installer.ListFamily(name, family);
    if (found == CPrinterInstaller::kEnumerationFailed) {
        installer.LogStep(TEXT("the local printers cannot be listed: %s"),
                          error_text::Describe(::GetLastError()).c_str());
        return kFailed;
    }
    LogQueuedJobs(installer, family);
    if (found > 0) {
        CPrinterInstaller::RemovalOutcome removal = installer.RemoveExistingFamily();
        if (removal == CPrinterInstaller::kRemovalNotStarted) return kFailed;
        // Only copies are left of the family: each goes as the removal road takes them.
        if (removal == CPrinterInstaller::kNothingToRemove)
            for (const CPrinterInstaller::InstalledPrinter& p : family) installer.DeletePrinterAndDriver(p.name);
    }
    // The driver of the name: it stays when a copy still used it as its printer went.
    DWORD error = 0;
    bool driverGone = installer.DeleteDriver(name, &error) != 0;
    if (!driverGone)
        installer.LogStep(TEXT("driver \"%s\" not deleted: %s"), name, error_text::Describe(error).c_str());
    else if (error == ERROR_SUCCESS)
        installer.LogStep(TEXT("deleted driver \"%s\""), name);

    CStringList left;
    int remaining = installer.FindInstalledPrinters(name, left);
    for (const CString& p : left) installer.LogStep(TEXT("printer \"%s\" is still installed"), p.Str().c_str());
    if (remaining == CPrinterInstaller::kEnumerationFailed)
        installer.LogStep(TEXT("the local printers cannot be listed after the removal"));
    if (remaining != 0 || !driverGone) return kFailed;
    if (found == 0 && error != ERROR_SUCCESS)
        installer.LogStep(TEXT("neither a printer nor a driver \"%s\" was installed: nothing to remove"), name);
    return kInstalled;
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
                                TypeText(printer[0] ? installer.GetPrinterType(printer) : CPrinterInstaller::kNoType));
        }
    }
    if (!WriteStandardText(STD_OUTPUT_HANDLE, out.c_str()))
        installer.LogStep(TEXT("the catalogue could not be written to standard output"));
    return kInstalled;
}

const WCHAR* Outcome(int exitCode, bool removal)
{
    switch (exitCode) {
    case kInstalled: return removal ? TEXT("removed") : TEXT("installed");
    case kRestartNeeded: return TEXT("installed; Windows asks for a restart");
    case kFailed: return removal ? TEXT("the removal failed") : TEXT("the installation failed");
    case kBadCommandLine: return TEXT("bad command line, nothing changed");
    default: return TEXT("ended");
    }
}

}  // namespace unattended

// Removal and reinstallation with awkward names: whatever the name, only printers
// of its family are ever touched.
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "tests/unit/driver_medium.h"

namespace {

class RemovalBadInput : public DriverMediumTest {
protected:
    // The finish page's order: the family's removal, the re-scan, the installation.
    static int RemoveAndInstall(CPrinterInstaller& installer)
    {
        CStringList found;
        installer.FindInstalledPrinters(installer.PrinterName(), found);
        for (const CString& printer : found) installer.DeletePrinterAndDriver(printer);
        installer.ReenumerateDevices();
        return installer.InstallPrinter();
    }
    static std::vector<std::u16string> PrinterNames()
    {
        std::vector<std::u16string> out;
        for (const auto& p : sim::Printers()) out.push_back(p.name);
        return out;
    }
};

}  // namespace

TEST_F(RemovalBadInput, ALongestNameReplacesOnlyItsFamily)
{
    const std::u16string name(199, u'N');
    WriteTypes(Utf8(name) + "=9\r\n");
    Write9PinInf("[M]\r\n\"" + Utf8(name) + "\" = N.GPD,USBPRINT\\N,N");  // no final line end
    sim::SetTimeScale(0.01);
    sim::AddPrinterDriver(name);
    sim::AddPrinterDriver(u"Other");
    for (const std::u16string& p : {name, name + u" (Copy 1)", name.substr(1), name + u"X", std::u16string(u"B")})
        sim::AddLocalPrinter(p, p == u"B" || p == name.substr(1) || p == name + u"X" ? u"Other" : name, u"LPT1:", 1);
    sim::AddPrinterConnection(u"SRV", name, u"Other");

    CPrinterInstaller installer;
    installer.SetPrinterName(name.c_str());
    installer.SetPortName(u"LPT2:");
    EXPECT_EQ(RemoveAndInstall(installer), 1);
    EXPECT_EQ(PrinterNames(),
              (std::vector<std::u16string>{name.substr(1), name + u"X", u"B", u"\\\\SRV\\" + name, name}));
    for (const auto& p : sim::Printers()) {
        if (p.name == name || !p.server.empty()) continue;  // the new one, and the connection without jobs
        EXPECT_EQ(p.jobs, 1) << Utf8(p.name);
    }
}

TEST_F(RemovalBadInput, ANameWithAQuotationMarkIsRemovedButNeverPutOnACommandLine)
{
    const std::u16string name = u"Korvel \"LQ\"";
    WriteTypes("Korvel \"LQ\"=24\r\n");
    Write24PinInf("\"KORVEL \"LQ\"\" = X.GPD,USBPRINT\\X,X\r\n");
    sim::SetTimeScale(0.01);
    sim::AddPrinterDriver(u"D");
    sim::AddLocalPrinter(name, u"D", u"LPT1:");
    sim::AddLocalPrinter(name + u" (Copy 1)", u"D", u"LPT1:");
    sim::AddLocalPrinter(u"Korvel ", u"D", u"LPT1:");
    sim::AddLocalPrinter(u"FILE:", u"D", u"FILE:");

    CPrinterInstaller installer;
    installer.SetPrinterName(name.c_str());
    installer.SetPortName(u"LPT1:");
    EXPECT_EQ(RemoveAndInstall(installer), 0);
    EXPECT_TRUE(sim::Rundll32Runs().empty());
    EXPECT_EQ(PrinterNames(), (std::vector<std::u16string>{u"Korvel ", u"FILE:"}));
}

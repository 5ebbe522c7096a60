// Finding and removing the printers of a chosen name, the existence test after an
// installation, and the device re-enumeration, on the simulated spooler; and removal
// and reinstallation with awkward names, where only printers of the family are touched.
#include <algorithm>

#include "platform/devinst.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "platform/sim/control/verifier.h"
#include "platform/spooler.h"
#include "tests/support/driver_medium.h"
#include "tests/support/sim_fixture.h"
#include "tests/support/sim_readings.h"

namespace {

class ExistingPrinters : public SimTest {
protected:
    static std::vector<std::string> Names(const CStringList& list)
    {
        std::vector<std::string> out;
        for (const CString& s : list) out.push_back(text::ToUtf8(s.Str()));
        return out;
    }
    static std::vector<std::string> PrinterNames()
    {
        std::vector<std::string> out;
        for (const auto& p : sim::Printers()) out.push_back(Utf8(p.name));
        return out;
    }
    // What the finish page's deletion worker does with the list.
    static void RemoveFamily(CPrinterInstaller& installer, const char16_t* name)
    {
        CStringList found;
        installer.FindInstalledPrinters(name, found);
        for (const CString& printer : found) installer.DeletePrinterAndDriver(printer);
    }

    CPrinterInstaller installer;
};

}  // namespace

TEST_F(ExistingPrinters, FindsTheNameAndItsCopiesInEnumerationOrder)
{
    for (const char16_t* name : {u"A", u"A (Copy 1)", u"AB(2)", u"A ()", u"A (", u"a (Copy 1)", u"B"})
        ASSERT_TRUE(sim::AddLocalPrinter(name, u"A", u"LPT1:"));
    CStringList list;
    list.push_back(CString(u"kept"));  // the list is appended to, not emptied
    EXPECT_EQ(installer.FindInstalledPrinters(u"A", list), 5);
    // Letter case aside, as the spooler compares printer names.
    EXPECT_EQ(Names(list), (std::vector<std::string>{"kept", "A", "A (Copy 1)", "AB(2)", "A ()", "a (Copy 1)"}));
}

TEST_F(ExistingPrinters, NoPrintersFindsNothing)
{
    CStringList list;
    EXPECT_EQ(installer.FindInstalledPrinters(u"A", list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(installer.PrinterExists(u"A"), 0);
}

TEST_F(ExistingPrinters, AnEmptyNameFindsAndRemovesNothing)
{
    sim::AddPrinterDriver(u"X(1)");
    sim::AddLocalPrinter(u"X(1)", u"X(1)", u"LPT1:", 2);
    sim::AddLocalPrinter(u"Y", u"X(1)", u"LPT2:");
    CStringList list;
    EXPECT_EQ(installer.FindInstalledPrinters(u"", list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(installer.PrinterExists(u""), 0);
    EXPECT_EQ(installer.DeletePrinterAndDriver(u""), 0);
    EXPECT_EQ(PrinterNames(), (std::vector<std::string>{"X(1)", "Y"}));
    EXPECT_EQ(sim::Printers()[0].jobs, 2);
    EXPECT_EQ(sim::PrinterDrivers().size(), 1u);
    EXPECT_TRUE(LogWith("delete").empty());
    EXPECT_TRUE(LogWith("purge").empty());
}

TEST_F(ExistingPrinters, ConnectionsToOtherMachinesAreNeitherFoundNorRemoved)
{
    sim::AddPrinterDriver(u"A");
    ASSERT_TRUE(sim::AddPrinterConnection(u"OFFICE", u"A", u"A"));
    ASSERT_TRUE(sim::AddPrinterConnection(u"OFFICE", u"A (Copy 1)", u"A"));
    sim::AddLocalPrinter(u"A (Copy 2)", u"A", u"LPT1:");
    CStringList list;
    EXPECT_EQ(installer.FindInstalledPrinters(u"A", list), 1);
    EXPECT_EQ(Names(list), std::vector<std::string>{"A (Copy 2)"});

    RemoveFamily(installer, u"A");
    EXPECT_EQ(PrinterNames(), (std::vector<std::string>{"\\\\OFFICE\\A", "\\\\OFFICE\\A (Copy 1)"}));
    // The connections still use the driver, so it stays.
    EXPECT_EQ(sim::PrinterDrivers(), std::vector<std::u16string>{u"A"});
}

TEST_F(ExistingPrinters, EnumerationFailuresCountAsNothingFound)
{
    sim::AddLocalPrinter(u"A", u"A", u"LPT1:");
    // Printers added between the sizing call and the fetch: the fetch comes up
    // short and there is no third try.
    sim::AfterNextSpoolerCall("EnumPrintersW", [] { sim::AddLocalPrinter(u"A (Copy 1)", u"A", u"LPT1:"); });
    CStringList list;
    EXPECT_EQ(installer.FindInstalledPrinters(u"A", list), -1);
    EXPECT_TRUE(list.empty());

    sim::AfterNextSpoolerCall("EnumPrintersW", [] { sim::AddLocalPrinter(u"C", u"A", u"LPT1:"); });
    EXPECT_EQ(installer.PrinterExists(u"A"), 0);

    sim::FailCall("EnumPrintersW", ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(installer.FindInstalledPrinters(u"A", list), -1);
    EXPECT_EQ(installer.FindInstalledPrinters(u"A", list), 2);  // the failure was one call only
}

TEST_F(ExistingPrinters, EachDeletionAsksForTheDriverOfItsOwnName)
{
    sim::AddPrinterDriver(u"A");
    sim::AddPrinterDriver(u"Old");
    sim::AddLocalPrinter(u"A", u"A", u"USB001", 3);
    sim::AddLocalPrinter(u"A (Copy 1)", u"A", u"LPT1:");
    sim::AddLocalPrinter(u"B", u"Old", u"LPT2:");
    sim::SetDefaultPrinterName(u"A");

    CStringList list;
    ASSERT_EQ(installer.FindInstalledPrinters(u"A", list), 2);
    // A's turn comes while its copy still uses driver A: the driver stays.
    EXPECT_EQ(installer.DeletePrinterAndDriver(list.front()), 0);
    EXPECT_EQ(installer.DeletePrinterAndDriver(list.back()), 0);
    EXPECT_EQ(LogWith("delete-driver"), (std::vector<std::string>{"delete-driver \"A\": error 3001",
                                                                  "delete-driver \"A (Copy 1)\": error 1797"}));
    EXPECT_EQ(LogWith("purge"), (std::vector<std::string>{"purge \"A\" jobs=3", "purge \"A (Copy 1)\" jobs=0"}));
    EXPECT_EQ(PrinterNames(), std::vector<std::string>{"B"});
    EXPECT_EQ(sim::PrinterDrivers(), (std::vector<std::u16string>{u"A", u"Old"}));
    EXPECT_EQ(sim::DefaultPrinterName(), u"");
    EXPECT_EQ(sim::OpenPrinterHandleCount(), 0u);

    // Once no printer uses it, the driver goes, even without a printer of that name.
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"A"), 1);
    EXPECT_EQ(sim::PrinterDrivers(), std::vector<std::u16string>{u"Old"});
}

TEST_F(ExistingPrinters, TheQueueIsPurgedWithTheCommandAlone)
{
    sim::AddPrinterDriver(u"A");
    sim::AddLocalPrinter(u"A", u"A", u"LPT1:", 5);
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"A"), 1);
    // Purged first, so the printer went with its handle instead of waiting for its jobs.
    EXPECT_EQ(LogWith("purge"), std::vector<std::string>{"purge \"A\" jobs=5"});
    EXPECT_TRUE(sim::Printers().empty());
    EXPECT_TRUE(sim::PrinterDrivers().empty());
    // The command takes no printer record: pPrinter is NULL, as SetPrinterW requires.
    EXPECT_TRUE(sim::Violations().empty());

    // Without the purge permission the purge is refused and reported.
    sim::AddLocalPrinter(u"B", u"A", u"LPT1:", 1);
    HANDLE printer = nullptr;
    WCHAR name[] = u"B";
    ASSERT_TRUE(::OpenPrinterW(name, &printer, nullptr));
    EXPECT_EQ(installer.PurgePrinter(printer), 0);
    EXPECT_EQ(sim::Printers()[0].jobs, 1);
    ::ClosePrinter(printer);
}

TEST_F(ExistingPrinters, ExistenceNeedsTheNameInAnyLetterCase)
{
    sim::AddLocalPrinter(u"A (Copy 1)", u"A", u"LPT1:");
    sim::AddLocalPrinter(u"AB", u"A", u"LPT1:");
    sim::AddPrinterConnection(u"OFFICE", u"A", u"A");
    EXPECT_EQ(installer.PrinterExists(u"A"), 0);
    sim::AddLocalPrinter(u"a", u"A", u"LPT1:");
    EXPECT_EQ(installer.PrinterExists(u"A"), 1);
}

TEST_F(ExistingPrinters, ReenumerationReportsFailuresOnStandardOutputOnly)
{
    EXPECT_EQ(installer.ReenumerateDevices(), 1);
    EXPECT_EQ(sim::ReenumerationCount(), 1);
    EXPECT_EQ(sim::StdoutText(), "");

    sim::SetConfigManagerResults(0x13, CR_SUCCESS);
    EXPECT_EQ(installer.ReenumerateDevices(), 0);
    sim::SetConfigManagerResults(CR_SUCCESS, 0xAB);
    EXPECT_EQ(installer.ReenumerateDevices(), 0);
    EXPECT_EQ(sim::StdoutText(), "CM_Locate_DevNode failed: 13\nCM_Reenumerate_DevNode failed: ab\n");
    EXPECT_EQ(sim::ReenumerationCount(), 1);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

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

// The choice between the two installation roads, made from what is attached and
// what the catalogue lists.
#include "platform/sim/control/devices.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "tests/support/printui_texts.h"
#include "tests/support/driver_medium.h"

namespace {

class InstallDecision : public DriverMediumTest {
protected:
    void SetUp() override
    {
        DriverMediumTest::SetUp();
        WriteCatalogue(
            "[PRINTER_SERIES]\r\nKX Series\r\n[KX Series]\r\nKX-2400\r\nKN-920\r\n"
            "[PRINTER_NAME]\r\nKX-2400=Korvel KX-2400\r\nKN-920=Korvel KN-920\r\n"
            "[PRINTER_TYPE]\r\nKorvel KX-2400=24\r\nKorvel KN-920=9\r\n");
        Write24PinInf("[Korvel]\r\n\"KORVEL KX-2400\" = KX2400,USBPRINT\\KORVELKX-24008F1C,KORVEL_KX\r\n");
        Write9PinInf("[Korvel]\r\n\"KORVEL KN-920\" = KN920,USBPRINT\\KORVELKN-920ABCD,KORVEL_KN\r\n");
        sim::SetTimeScale(0.01);
    }
    // A USB printer reporting the model, carrying the 24-pin INF's hardware ID, with
    // the port the USB monitor makes for it.
    static void Attach(const char* model)
    {
        sim::TypicalUsbPrinter typical;
        typical.deviceId = std::string("MFG:Korvel;CMD:ESC/P;MDL:") + model + ";CLS:PRINTER;";
        typical.hardwareIds = {u"USBPRINT\\KORVELKX-24008F1C"};
        sim::PlugInTypicalUsbPrinter(typical);
        sim::AddPort(u"USB001");
    }
    static CPrinterInstaller Chosen(const char16_t* printer, const char16_t* port)
    {
        CPrinterInstaller installer;
        installer.SetPrinterName(printer);
        installer.SetPortName(port);
        return installer;
    }
};

}  // namespace

TEST_F(InstallDecision, NothingAttachedTakesThePrinterUiRoadWithTheStoredNames)
{
    CPrinterInstaller installer = Chosen(u"Korvel KN-920", u"LPT2:");
    EXPECT_EQ(Utf8(installer.DriverInf()), "D:\\Setup\\PrinterDriver\\");  // built before the name was chosen
    EXPECT_EQ(installer.Install(), 1);
    EXPECT_EQ(Utf8(installer.DriverInf()), "D:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF");
    ASSERT_EQ(sim::Rundll32Runs().size(), 1u);
    EXPECT_EQ(Utf8(sim::Rundll32Runs()[0].parameters),
              InstallCommand(u"Korvel KN-920", u"D:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF", u"LPT2:"));
    EXPECT_TRUE(sim::DriverUpdates().empty());
    EXPECT_EQ(Utf8(installer.PrinterName()), "Korvel KN-920");
    EXPECT_EQ(Utf8(installer.PortName()), "LPT2:");
}

TEST_F(InstallDecision, AnAttachedModelTheCatalogueLacksTakesThePrinterUiRoad)
{
    Attach("ZX-1");
    CPrinterInstaller installer = Chosen(u"Korvel KX-2400", u"USB001");
    EXPECT_EQ(installer.Install(), 1);
    EXPECT_EQ(sim::Rundll32Runs().size(), 1u);
    EXPECT_TRUE(sim::DriverUpdates().empty());
}

TEST_F(InstallDecision, ACataloguedPrinterTakesPlugAndPlayForTheChosenName)
{
    Attach("KX-2400");
    CPrinterInstaller installer = Chosen(u"Korvel KX-2400", u"USB001");
    EXPECT_EQ(installer.Install(), 1);
    EXPECT_TRUE(sim::Rundll32Runs().empty());
    ASSERT_EQ(sim::DriverUpdates().size(), 1u);
    EXPECT_EQ(Utf8(sim::DriverUpdates()[0].hardwareId), "USBPRINT\\KORVELKX-24008F1C");
    EXPECT_EQ(Utf8(sim::DriverUpdates()[0].infPath), "D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF");
    EXPECT_EQ(Utf8(installer.PrinterName()), "Korvel KX-2400");
    EXPECT_EQ(Utf8(installer.PortName()), "USB001");
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(InstallDecision, APlugAndPlayFailureDoesNotFallBack)
{
    // The attached printer is catalogued; the user chose another model, whose ID
    // (from the 9-pin INF) no present device carries.
    Attach("KX-2400");
    CPrinterInstaller installer = Chosen(u"Korvel KN-920", u"LPT1:");
    EXPECT_EQ(installer.Install(), 0);
    ASSERT_EQ(sim::DriverUpdates().size(), 1u);
    EXPECT_EQ(Utf8(sim::DriverUpdates()[0].hardwareId), "USBPRINT\\KORVELKN-920ABCD");
    EXPECT_TRUE(sim::Rundll32Runs().empty());
    EXPECT_TRUE(sim::Printers().empty());
}

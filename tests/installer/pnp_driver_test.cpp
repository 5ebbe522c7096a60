// The Plug and Play road: the hardware ID from the driver INF's model lines, read
// line by line, and the driver update with what it is handed.
#include <cstring>

#include "platform/devinst.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/spooler.h"
#include "tests/support/driver_medium.h"

namespace {

class PnpDriver : public DriverMediumTest {
protected:
    void SetUp() override
    {
        DriverMediumTest::SetUp();
        WriteTypes("Korvel LQ-24=24\r\n");
        installer = CPrinterInstaller();
        installer.SetPrinterName(u"Korvel LQ-24");
    }
    // FindHardwareId over an INF with the given bytes; the ID as text, or "<none>".
    // The buffer is followed by a guard that must stay untouched.
    std::string Find(const std::string& inf, const char16_t* quoted = u"\"Korvel LQ-24\"")
    {
        WriteFile("test.inf", inf);
        BYTE buffer[1024 + 16];
        std::memset(buffer, 0, 1024);
        std::memset(buffer + 1024, 0xEE, 16);
        int length = static_cast<int>(text::Length(quoted));
        int found = installer.FindHardwareId(u"D:\\Setup\\test.inf", quoted, length, buffer);
        for (int i = 1024; i < 1024 + 16; ++i) EXPECT_EQ(buffer[i], 0xEE) << "written past the buffer";
        const char* id = reinterpret_cast<const char*>(buffer);
        return found ? std::string(id, strnlen(id, 1024)) : "<none>";
    }

    CPrinterInstaller installer;
};

}  // namespace

TEST_F(PnpDriver, TheFirstUsbLineOfTheModelGivesTheId)
{
    // The model listed first on a parallel line, then on a USB line, CRLF line ends.
    EXPECT_EQ(Find("[Korvel]\r\n\"KORVEL LQ-24\" = LQ24.GPD,LPTENUM\\KorvelLQ-24,X\r\n"
                   "\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\KorvelLQ-24A1B2,Korvel_LQ\r\n"
                   "\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\Second,Korvel_LQ\r\n"),
              "USBPRINT\\KorvelLQ-24A1B2");
    // LF line ends, and a last line without one.
    EXPECT_EQ(Find("[Korvel]\n\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\KorvelLQ-24A1B2,X"), "USBPRINT\\KorvelLQ-24A1B2");
    // An accepted line without a second comma gives an empty ID, and counts.
    EXPECT_EQ(Find("\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\A\r\n\"KORVEL LQ-24\" = X,USBPRINT\\B,C\r\n"), "");
    EXPECT_EQ(Find("\"Korvel LQ-24\" = LQ24.GPD,USBPRINT\\A,X\r\n"), "<none>");
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);
}

TEST_F(PnpDriver, BadInfFilesGiveNoIdOrTheRightOneAndNeverOverrun)
{
    std::string longLine(100000, 'x');
    static const char kBinary[] = "\x00\xff\x1a\r\x80\"KORVEL\x00 LQ-24\",USB,\n";
    std::string binary(kBinary, sizeof kBinary - 1);
    EXPECT_EQ(Find(longLine + "\n" + binary + longLine + "," + longLine + "\r\n" + "\"KORVEL LQ-24\" = X," + longLine +
                   "USB\r\n" +  // no second comma
                   "\"KORVEL LQ-24\" = X,USB" + std::string(1020, 'i') + ",X\n"),
              "");
    EXPECT_EQ(Find(binary + "\"KORVEL LQ-24\" = X,USB" + std::string(1020, 'i') + ",X\n").size(), 1023u);
    // An ID too long for the buffer is no usable ID; a later line still counts.
    EXPECT_EQ(Find("\"KORVEL LQ-24\" = X,USB" + std::string(1021, 'i') + ",X\n"), "<none>");
    EXPECT_EQ(Find("\"KORVEL LQ-24\" = X,USB" + longLine + ",X\n\"KORVEL LQ-24\" = X,USBPRINT\\Ok,X"), "USBPRINT\\Ok");
    // Bytes above 127 are stored as they are.
    EXPECT_EQ(Find("\"KORVEL LQ-24\" = X,USBPRINT\\\xc4\xe3,X\r\n"), "USBPRINT\\\xc4\xe3");

    // A missing INF, or the bare driver directory, holds no ID.
    BYTE buffer[1024] = {0};
    EXPECT_EQ(installer.FindHardwareId(u"D:\\Setup\\missing.inf", u"\"Korvel LQ-24\"", 14, buffer), 0);
    EXPECT_EQ(installer.FindHardwareId(u"D:\\Setup\\PrinterDriver\\", u"\"Korvel LQ-24\"", 14, buffer), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(PnpDriver, TheDriverUpdateGetsTheWideIdTheInfAndForce)
{
    // The ID's bytes are text of the thread's code page (936 here).
    Write24PinInf("[Korvel]\r\n\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\Korvel\xc4\xe3,X\r\n");
    sim::SetHardwareIdPresent(u"USBPRINT\\Korvel你", true);
    sim::AddPort(u"USB001");
    EXPECT_EQ(installer.InstallPnpDriver(), 1);
    auto updates = sim::DriverUpdates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(Utf8(updates[0].hardwareId), "USBPRINT\\Korvel你");
    EXPECT_EQ(Utf8(updates[0].infPath), "D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF");
    EXPECT_EQ(updates[0].installFlags, static_cast<DWORD>(INSTALLFLAG_FORCE));
    EXPECT_FALSE(updates[0].hadParent);
    EXPECT_TRUE(updates[0].hadRebootFlag);
    // Windows then makes a printer of the INF's model on the device's port.
    ASSERT_EQ(sim::Printers().size(), 1u);
    EXPECT_EQ(Utf8(sim::Printers()[0].name), "KORVEL LQ-24");
    EXPECT_EQ(Utf8(sim::Printers()[0].port), "USB001");
}

TEST_F(PnpDriver, FailuresOfTheRoad)
{
    Write24PinInf("\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\KorvelLQ-24,X\r\n");
    // No device carries the ID.
    EXPECT_EQ(installer.InstallPnpDriver(), 0);
    ASSERT_EQ(sim::DriverUpdates().size(), 1u);
    EXPECT_EQ(sim::DriverUpdates()[0].error, static_cast<DWORD>(ERROR_NO_SUCH_DEVINST));

    sim::SetHardwareIdPresent(u"USBPRINT\\KorvelLQ-24", true);
    sim::FailDriverUpdates(ERROR_ACCESS_DENIED);
    EXPECT_EQ(installer.InstallPnpDriver(), 0);
    sim::FailDriverUpdates(0);

    // No model line for the name (or no type, so no INF): no update is tried.
    installer.SetPrinterName(u"Korvel LQ-9");
    EXPECT_EQ(installer.InstallPnpDriver(), 0);
    EXPECT_EQ(Utf8(installer.DriverInf()), "D:\\Setup\\PrinterDriver\\");
    EXPECT_EQ(sim::DriverUpdates().size(), 2u);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

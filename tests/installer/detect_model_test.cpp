// DetectUsbModel: the model an attached printer reports, and what it leaves behind.
#include <cstdio>

#include "platform/sim/control/devices.h"
#include "tests/support/sim_fixture.h"

class DetectModelTest : public SimTest {
protected:
    static BOOL Detect(std::string& model)
    {
        CPrinterInstaller installer;
        CString found = TEXT("stale");
        BOOL ok = installer.DetectUsbModel(found);
        model = text::ToUtf8(found.Str());
        return ok;
    }
};

TEST_F(DetectModelTest, ReportsTheModelAndClosesTheDevice)
{
    sim::TypicalUsbPrinter typical;
    typical.deviceId = "MFG:Korvel;CMD:ESC/P;MDL:KX-2400;CLS:PRINTER;";
    sim::PlugInTypicalUsbPrinter(typical);
    std::string model;
    EXPECT_TRUE(Detect(model));
    EXPECT_EQ(model, "KX-2400");
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
    // The device is free again for the next query.
    EXPECT_TRUE(Detect(model));
}

TEST_F(DetectModelTest, NoPrinterIsFalseWithAnEmptyModel)
{
    std::string model;
    EXPECT_FALSE(Detect(model));
    EXPECT_EQ(model, "");
    EXPECT_EQ(sim::DeviceRequestCount(), 0u);

    auto plugged = sim::PlugInTypicalUsbPrinter({});
    ASSERT_TRUE(Detect(model));
    sim::UnplugUsbPrinter(plugged.devicePath);
    EXPECT_FALSE(Detect(model));
    EXPECT_EQ(model, "");
}

TEST_F(DetectModelTest, UnusableAnswersGiveTrueWithAnEmptyModel)
{
    const struct {
        sim::DeviceIdAnswer answer;
        const char* id;
    } cases[] = {{sim::DeviceIdAnswer::Fail, "MDL:KX-2400;"},
                 {sim::DeviceIdAnswer::AtOnce, "MFG:Korvel;CMD:ESC/P;"},
                 {sim::DeviceIdAnswer::AtOnce, "MDL:KX-2400"}};
    for (const auto& c : cases) {
        sim::ResetMachine();
        sim::TypicalUsbPrinter typical;
        typical.answer = c.answer;
        typical.deviceId = c.id;
        sim::PlugInTypicalUsbPrinter(typical);
        std::string model;
        EXPECT_TRUE(Detect(model)) << c.id;
        EXPECT_EQ(model, "") << c.id;
        EXPECT_EQ(sim::OpenHandleCount(), 0u);
    }
}

TEST_F(DetectModelTest, PrinterThatNeverAnswersCostsHalfASecond)
{
    // Real time: the wait is the product's own 500 ms.
    sim::TypicalUsbPrinter typical;
    typical.answer = sim::DeviceIdAnswer::Never;
    sim::PlugInTypicalUsbPrinter(typical);
    std::string model;
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Detect(model));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("DetectUsbModel with a silent printer took %lld ms\n", static_cast<long long>(ms));
    EXPECT_EQ(model, "");
    EXPECT_GE(ms, 480);
    EXPECT_LT(ms, 1500);
    EXPECT_EQ(sim::OutstandingDeviceRequests(), 0u);
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

// The finish page: removal of the older printers, the installation worker, the
// result hand-over and the outcome boxes.
#include <thread>

#include "platform/devinst.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "platform/sim/control/verifier.h"
#include "tests/support/sim_readings.h"
#include "tests/support/wizard_fixture.h"

using sim::ui::Button;

namespace {
const char kName[] = "Korvel KN-935 9-Pin Printer";
const char16_t kName16[] = u"Korvel KN-935 9-Pin Printer";

}  // namespace

class FinishPageTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        sim::SetTimeScale(0.05);  // the fixed pauses and the result timer run 20 times faster
    }
    // Chooses KN Series / KN-935 on LPT1: and goes to the finish page.
    void ToFinishPage()
    {
        WalkToFinishPage("KN Series", "KN-935");
        ASSERT_EQ(Now().pageTemplate, static_cast<UINT>(IDD_STEP5));
    }
    std::vector<std::string> FinishOverAnInstalledPrinter(bool pageCloseFails);
    static void ExpectAllButtonsOff(const sim::ui::Snapshot& s)
    {
        EXPECT_FALSE(s.back.enabled);
        EXPECT_TRUE(s.finish.visible);
        EXPECT_FALSE(s.finish.enabled);
        EXPECT_FALSE(s.cancel.enabled);
    }
};

TEST_F(FinishPageTest, ShowsTheChoicesAndOffersBackAndFinish)
{
    ToFinishPage();
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Utf8(s.title), "Korvel打印机驱动安装步骤4");
    EXPECT_EQ(Text(s, IDC_DRIVER_TEXT), std::string("驱动：") + kName);
    EXPECT_EQ(Text(s, IDC_PORT_TEXT), "端口：LPT1:");
    EXPECT_EQ(Text(s, IDC_INSTRUCTION_TEXT),
              "单击完成按扭后，本向导会按照前面几个步骤的设置，自动完成打印机驱动的安装。");
    EXPECT_EQ(Text(s, IDC_STATUS_LABEL), "状态：");
    EXPECT_EQ(Text(s, IDC_STATUS_TEXT), "");
    EXPECT_TRUE(s.back.enabled);
    EXPECT_FALSE(s.next.visible);
    EXPECT_TRUE(s.finish.visible);
    EXPECT_TRUE(s.finish.enabled);
    EXPECT_TRUE(s.cancel.enabled);
    CancelWizard();
}

TEST_F(FinishPageTest, InstallsMakesDefaultReportsAndEnds)
{
    ToFinishPage();
    Press(Button::Finish);
    sim::ui::Snapshot s = Now();
    ASSERT_TRUE(OneBox(s, "OK", kSuccessText, MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(Text(s, IDC_STATUS_TEXT), "打印机驱动已成功安装！");
    ExpectAllButtonsOff(s);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));

    EXPECT_TRUE(HasPrinter(kName16));
    EXPECT_EQ(sim::DefaultPrinterName(), kName16);
    std::vector<std::string> log = sim::LogLines();
    EXPECT_EQ(CountOf(log, "delete-printer"), 0u) << "nothing of that name was installed";
    EXPECT_EQ(CountOf(log, "reenumerate"), 0u);
    EXPECT_LT(IndexOf(log, "run rundll32 PRINTUI.DLL,PrintUIEntry /if"),
              IndexOf(log, "run rundll32 PRINTUI.DLL,PrintUIEntry /y"));
    EXPECT_EQ(CountOf(log, "test-page"), 0u);
    for (const char* kind : {"thread", "event", "process", "printer"})
        EXPECT_EQ(sim::OpenHandleCount(kind), 0u) << kind;
    EXPECT_EQ(sim::OpenPrinterHandleCount(), 0u);
}

TEST_F(FinishPageTest, RemovesThePrinterAndItsCopiesFirst)
{
    const std::u16string name = kName16;
    sim::AddPrinterDriver(name);
    sim::AddPrinterDriver(u"Generic Text");
    ASSERT_TRUE(sim::AddLocalPrinter(name, name, u"LPT1:"));
    ASSERT_TRUE(sim::AddLocalPrinter(name + u" (Copy 1)", name, u"LPT2:"));
    ASSERT_TRUE(sim::AddLocalPrinter(name + u" (Copy 2)", name, u"LPT1:", 3));
    ASSERT_TRUE(sim::AddLocalPrinter(name + u" Old", u"Generic Text", u"LPT3:"));
    ASSERT_TRUE(sim::AddPrinterConnection(u"SERVER", name, name));
    ToFinishPage();
    Press(Button::Finish);
    ASSERT_EQ(Now().boxes.size(), 1u);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));

    std::vector<std::string> log = sim::LogLines();
    size_t install = IndexOf(log, "run rundll32 PRINTUI.DLL,PrintUIEntry /if");
    EXPECT_EQ(CountOf(log, "delete-printer"), 3u);
    EXPECT_LT(IndexOf(log, "delete-printer"), install);
    EXPECT_LT(IndexOf(log, "reenumerate"), install);
    EXPECT_FALSE(HasPrinter(name + u" (Copy 1)"));
    EXPECT_FALSE(HasPrinter(name + u" (Copy 2)"));
    EXPECT_TRUE(HasPrinter(name));  // the new one
    EXPECT_TRUE(HasPrinter(name + u" Old"));
    EXPECT_TRUE(HasPrinter(u"\\\\SERVER\\" + name));
}

TEST_F(FinishPageTest, FailureIsReportedAndFinishCanBePressedAgain)
{
    sim::Rundll32Behaviour cannotStart;
    cannotStart.startError = ERROR_FILE_NOT_FOUND;
    sim::SetRundll32Behaviour(cannotStart);
    ToFinishPage();
    for (int attempt = 0; attempt < 2; ++attempt) {
        Press(Button::Finish);
        sim::ui::Snapshot s = Now();
        ASSERT_TRUE(OneBox(s, "ERROR", "The specified file was not found."));
        EXPECT_FALSE(s.boxes[0].hasOwner);
        ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
        s = Now();
        ASSERT_TRUE(OneBox(s, "ERROR", kFailureText, MB_OK | MB_ICONERROR));
        EXPECT_EQ(Text(s, IDC_STATUS_TEXT), kFailureText);
        ExpectAllButtonsOff(s);
        ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
        s = Now();
        EXPECT_TRUE(s.boxes.empty());
        EXPECT_TRUE(s.back.enabled);
        EXPECT_TRUE(s.finish.enabled);
        EXPECT_TRUE(s.cancel.enabled);
        EXPECT_EQ(Text(s, IDC_STATUS_TEXT), kFailureText);
    }
    CancelWizard();
}

TEST_F(FinishPageTest, AnOldPrinterThatSurvivesItsRemovalIsNoSuccess)
{
    // The old printer stays (its deletion fails once): the entry makes "NAME (Copy 1)",
    // and the old printer of the name, on its old port and driver, is not the one asked.
    ASSERT_TRUE(sim::AddLocalPrinter(u"Korvel KN-935 9-Pin Printer", u"Generic Text", u"LPT3:"));
    ToFinishPage();
    sim::FailCall("DeletePrinter", ERROR_ACCESS_DENIED, 1);
    Press(Button::Finish);
    sim::ui::Snapshot s = Now();
    ASSERT_TRUE(OneBox(s, "ERROR", kFailureText));
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    EXPECT_TRUE(Now().finish.enabled);
    std::vector<std::string> printers;
    for (const sim::PrinterState& p : sim::Printers()) printers.push_back(Utf8(p.name) + " on " + Utf8(p.port));
    EXPECT_EQ(printers, (std::vector<std::string>{"Korvel KN-935 9-Pin Printer on LPT3:",
                                                  "Korvel KN-935 9-Pin Printer (Copy 1) on LPT1:"}));
    // Finish again: the removal takes both, and the printer stands as asked.
    ASSERT_TRUE(FinishSucceeds());
    ASSERT_EQ(sim::Printers().size(), 1u);
    EXPECT_EQ(Utf8(sim::Printers()[0].port), "LPT1:");
}

TEST_F(FinishPageTest, WorkersThatCannotStartAreReportedAsFailure)
{
    // The installation worker cannot start.
    ToFinishPage();
    sim::FailCall("CreateThread", ERROR_NOT_ENOUGH_MEMORY, 1);
    ASSERT_TRUE(FinishFails());
    sim::ui::Snapshot s = Now();
    EXPECT_TRUE(s.finish.enabled);
    EXPECT_TRUE(s.cancel.enabled);

    // The removal worker cannot start: nothing is removed and nothing waits for it.
    ASSERT_TRUE(sim::AddLocalPrinter(kName16, u"Generic Text", u"LPT1:"));
    sim::FailCall("CreateThread", ERROR_NOT_ENOUGH_MEMORY, 1);
    ASSERT_TRUE(FinishFails());
    EXPECT_TRUE(Now().finish.enabled);
    EXPECT_TRUE(HasPrinter(kName16));
    EXPECT_EQ(sim::OpenPrinterHandleCount(), 0u);
    EXPECT_EQ(sim::OpenHandleCount("event"), 0u);

    // The result timer cannot be set: no worker is started to report through it. The
    // failure is reported through a timer set again or, when that fails too, at once.
    for (int failures : {1, 2}) {
        SCOPED_TRACE(std::to_string(failures) + " SetTimer failures");
        size_t runs = sim::Rundll32Runs().size();
        sim::FailCall("SetTimer", ERROR_NOT_ENOUGH_MEMORY, failures);
        ASSERT_TRUE(FinishFails());
        s = Now();
        EXPECT_TRUE(s.finish.enabled);
        EXPECT_TRUE(s.cancel.enabled);
        EXPECT_EQ(sim::Rundll32Runs().size(), runs) << "nothing was installed";
    }
    CancelWizard();
}

TEST_F(FinishPageTest, TheSheetStaysOpenWhileTheInstallationRuns)
{
    sim::Rundll32Behaviour slow;
    slow.outlivesWaits = true;  // rundll32 keeps running until the test lets it end
    sim::SetRundll32Behaviour(slow);
    ToFinishPage();
    ASSERT_TRUE(sim::ui::Press(Button::Finish));
    // Wait until the worker is installing, then try every way out.
    for (int i = 0; i < 500 && Text(sim::ui::Take(), IDC_STATUS_TEXT) != "正在安装打印机驱动..."; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(Text(sim::ui::Take(), IDC_STATUS_TEXT), "正在安装打印机驱动...");
    EXPECT_FALSE(sim::ui::Press(Button::Cancel));
    EXPECT_TRUE(sim::ui::CloseSheet());
    EXPECT_TRUE(sim::ui::PressEscape());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(sim::ui::ProgramRunning());
    EXPECT_TRUE(sim::ui::Take().sheetOpen);
    sim::SetRundll32Behaviour(sim::Rundll32Behaviour());  // the next command runs normally
    sim::EndRundll32Processes();
    sim::ui::Snapshot s = Now();
    ASSERT_EQ(s.boxes.size(), 1u);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
}

TEST_F(FinishPageTest, CataloguedUsbPrinterTakesThePlugAndPlayRoad)
{
    sim::AddPort(u"USB001");
    sim::TypicalUsbPrinter p;
    p.deviceId = "MFG:KORVEL;CMD:ESC/P;MDL:KX-2400;CLS:PRINTER;";
    p.hardwareIds = {u"USBPRINT\\KORVELKX-24000913"};
    sim::PlugInTypicalUsbPrinter(p);
    StartWizard();
    Press(Button::Next);
    Press(Button::Next);
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Text(s, IDC_DRIVER_TEXT), "驱动：Korvel KX-2400 Dot Matrix Printer");
    EXPECT_EQ(Text(s, IDC_PORT_TEXT), "端口：USB001");
    ASSERT_TRUE(FinishSucceeds());
    std::vector<sim::DriverUpdate> updates = sim::DriverUpdates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(Utf8(updates[0].hardwareId), "USBPRINT\\KORVELKX-24000913");
    EXPECT_EQ(Utf8(updates[0].infPath), "D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF");
    EXPECT_EQ(updates[0].installFlags, static_cast<DWORD>(INSTALLFLAG_FORCE));
    EXPECT_EQ(CountOf(sim::LogLines(), "run rundll32 PRINTUI.DLL,PrintUIEntry /if"), 0u);
}

TEST_F(FinishPageTest, LongPrinterNamesAreShownAndRemovedWhole)
{
    const std::string longName = "Korvel " + std::string(150, 'L');
    WriteCatalogue("[PRINTER_SERIES]\r\nL Series\r\n[L Series]\r\nL-1\r\n[PRINTER_NAME]\r\nL-1=" + longName +
                   "\r\n[PRINTER_TYPE]\r\n" + longName + "=9\r\n");
    WriteFile("PrinterDriver/9pin/OEMPRINT.INF",
              "[Models]\r\n\"KORVEL " + std::string(150, 'L') + "\" = L1, USBPRINT\\KORVELL-1ABCD, KORVEL_L-1ABCD\r\n");
    ASSERT_TRUE(sim::AddLocalPrinter(U16(longName.c_str()), u"Generic Text", u"LPT2:"));
    StartWizard();
    Press(Button::Next);
    Press(Button::Next);
    Press(Button::Next);
    EXPECT_EQ(Text(Now(), IDC_DRIVER_TEXT), "驱动：" + longName);
    Press(Button::Finish);
    ASSERT_EQ(Now().boxes.size(), 1u);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(CountOf(sim::LogLines(), "delete-printer"), 1u);
}

TEST_F(FinishPageTest, APlugAndPlayQueueIsReplacedWhenTheModelMovesToAnotherPort)
{
    // The Plug and Play road names its queue as the driver INF spells the model.
    const std::u16string ours = u"Korvel KX-2400 Dot Matrix Printer", inf = u"KORVEL KX-2400 Dot Matrix Printer";
    sim::AddPort(u"USB001");
    sim::TypicalUsbPrinter usb;
    usb.deviceId = "MFG:KORVEL;CMD:ESC/P;MDL:KX-2400;CLS:PRINTER;";
    usb.hardwareIds = {u"USBPRINT\\KORVELKX-24000913"};
    sim::PluggedUsbPrinter plugged = sim::PlugInTypicalUsbPrinter(usb);
    StartWizard();
    for (int i = 0; i < 3; ++i) Press(Button::Next);
    Press(Button::Finish);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    ASSERT_EQ(sim::Printers().size(), 1u);
    ASSERT_EQ(sim::Printers()[0].name, inf);
    EXPECT_EQ(sim::Printers()[0].port, u"USB001");

    // Unplugged, the same model goes on LPT1:, twice; each run replaces the last one's
    // printer, leaving one printer of the model, the default, and one driver.
    sim::UnplugUsbPrinter(plugged.devicePath);
    for (int run = 2; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        sim::ClearLog();
        WalkToFinishPage("KX Series", "KX-2400");
        ASSERT_TRUE(FinishSucceeds());
        std::vector<sim::PrinterState> printers = sim::Printers();
        ASSERT_EQ(printers.size(), 1u);
        EXPECT_EQ(printers[0].name, ours);
        EXPECT_EQ(printers[0].port, u"LPT1:");
        EXPECT_EQ(printers[0].driver, inf);
        EXPECT_EQ(sim::DefaultPrinterName(), ours);
        EXPECT_EQ(sim::PrinterDrivers(), std::vector<std::u16string>{inf});
        std::vector<std::string> log = sim::LogLines();
        EXPECT_EQ(CountOf(log, "delete-printer"), 1u);
        // The page holds the old queue open while the worker deletes it: the queue, and
        // with it its driver, stays until the page has closed its handle.
        EXPECT_EQ(CountOf(log, "delete-driver \"" + Utf8(run == 2 ? inf : ours) + "\": error 3001"), 1u);
    }
}

// The page holds the chosen printer open while the worker deletes it, so the printer
// goes only when the page closes that handle. The device tree is re-scanned after that
// close, and not at all when the close fails.
std::vector<std::string> FinishPageTest::FinishOverAnInstalledPrinter(bool pageCloseFails)
{
    const std::u16string name = kName16;
    sim::AddPrinterDriver(name);
    EXPECT_TRUE(sim::AddLocalPrinter(name, name, u"LPT2:"));
    if (pageCloseFails)  // the worker's last call; the page's ClosePrinter comes next
        sim::AfterNextSpoolerCall("DeletePrinterDriverExW",
                                  [] { sim::FailCall("ClosePrinter", ERROR_INVALID_HANDLE, 1); });
    ToFinishPage();
    Press(Button::Finish);
    EXPECT_EQ(Now().boxes.size(), 1u);
    EXPECT_TRUE(sim::ui::AnswerBox(IDOK));
    EXPECT_TRUE(Stable());
    if (sim::ui::ProgramRunning()) CancelWizard();  // a failed installation leaves the page open
    EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    return sim::LogLines();
}

TEST_F(FinishPageTest, TheDeviceTreeIsRescannedAfterThePageHasClosedItsHandle)
{
    std::vector<std::string> log = FinishOverAnInstalledPrinter(false);
    const std::string removed = "close-printer \"" + std::string(kName) + "\": printer removed";
    ASSERT_LT(IndexOf(log, removed), log.size());
    EXPECT_LT(IndexOf(log, removed), IndexOf(log, "reenumerate"));
    EXPECT_EQ(CountOf(log, "reenumerate"), 1u);
}

TEST_F(FinishPageTest, NoRescanAfterAFailedClose)
{
    std::vector<std::string> log = FinishOverAnInstalledPrinter(true);
    EXPECT_LT(IndexOf(log, "close-printer \"" + std::string(kName) + "\": error 6"), log.size());
    EXPECT_EQ(CountOf(log, "reenumerate"), 0u);
    // The handle whose close failed is left open: nothing more the program can do.
    sim::EndProgram();
    std::vector<sim::Violation> leaks = sim::TakeViolations();
    ASSERT_EQ(leaks.size(), 1u);
    EXPECT_EQ(leaks[0].function + ": " + leaks[0].rule,
              "ClosePrinter: every handle is released before the program ends");
}

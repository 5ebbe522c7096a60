// The printer-UI commands run by rundll32: the launcher and its messages, the
// installation with its existence check, the default printer and the test page.
#include <chrono>

#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "tests/support/printui_texts.h"
#include "tests/support/driver_medium.h"

namespace {

const char* const kInf =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[Korvel]\r\n"
    "\"KORVEL LQ-24\" = LQ24.GPD,USBPRINT\\KorvelLQ-24A1B2,Korvel_LQ-24A1B2\r\n";

class PrintUiCommands : public DriverMediumTest {
protected:
    void SetUp() override
    {
        DriverMediumTest::SetUp();
        WriteTypes("Korvel LQ-24=24\r\n");
        Write24PinInf(kInf);
        sim::ui::SetAutomaticBoxAnswer(IDOK);
        installer = CPrinterInstaller();
        installer.SetPrinterName(u"Korvel LQ-24");
        installer.SetPortName(u"LPT1:");
    }
    void TearDown() override
    {
        sim::EndRundll32Processes();
        DriverMediumTest::TearDown();
    }
    static std::vector<std::string> Commands()
    {
        std::vector<std::string> out;
        for (const auto& run : sim::Rundll32Runs()) out.push_back(Utf8(run.parameters));
        return out;
    }

    CPrinterInstaller installer;
};

}  // namespace

TEST_F(PrintUiCommands, AFailedStartShowsTheMessageOfItsLastError)
{
    const struct {
        DWORD code;
        const char* text;
    } table[] = {{2, "The specified file was not found."},
                 {1157, "One of the library files necessary to run the application can't be found."},
                 {6, "Other error occurred."}};
    for (const auto& row : table) {
        sim::SetRundll32Behaviour({row.code, 0, false});
        EXPECT_EQ(installer.RunRundll32(u"PRINTUI.DLL,PrintUIEntry /y /q /n \"A\""), 0);
        ASSERT_FALSE(sim::ui::BoxHistory().empty());
        const sim::ui::BoxState box = sim::ui::BoxHistory().back();
        EXPECT_EQ(Utf8(box.text), row.text);
        EXPECT_EQ(Utf8(box.caption), "ERROR");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_FALSE(box.hasOwner);
    }
    EXPECT_TRUE(sim::Rundll32Runs().empty());

    // No printer check follows a failed start.
    EXPECT_EQ(installer.InstallPrinter(), 0);
    EXPECT_EQ(sim::ui::BoxHistory().size(), 4u);
    EXPECT_TRUE(sim::Printers().empty());
}

TEST_F(PrintUiCommands, Rundll32IsStartedByItsFullPathInTheSystemFolder)
{
    // A rundll32.exe on the setup medium, the program's and the current folder, which
    // the bare name would find first. It runs in the system folder too, where the
    // library it loads by name is looked for, rather than in the medium's.
    WriteFile("rundll32.exe", "MZ");
    EXPECT_EQ(installer.RunRundll32(u"PRINTUI.DLL,PrintUIEntry /y /q /n \"A\""), 1);
    ASSERT_EQ(sim::Rundll32Runs().size(), 1u);
    EXPECT_EQ(Utf8(sim::Rundll32Runs()[0].file), "C:\\Windows\\system32\\rundll32.exe");
    EXPECT_EQ(Utf8(sim::Rundll32Runs()[0].program), "C:\\Windows\\system32\\rundll32.exe");
    EXPECT_EQ(Utf8(sim::Rundll32Runs()[0].folder), "C:\\Windows\\system32");

    // Without the system folder nothing is started: its error is the launcher's.
    sim::FailCall("GetSystemDirectoryW", ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(installer.RunRundll32(u"PRINTUI.DLL,PrintUIEntry /y /q /n \"A\""), 0);
    EXPECT_EQ(sim::Rundll32Runs().size(), 1u);
    ASSERT_EQ(sim::ui::BoxHistory().size(), 1u);
    EXPECT_EQ(Utf8(sim::ui::BoxHistory()[0].text), "Access to the specified file is denied.");
}

TEST_F(PrintUiCommands, TheLauncherWaitsAtMost120SecondsAndClosesTheProcess)
{
    sim::SetTimeScale(0.0001);  // 120 s pass in 12 ms
    sim::SetRundll32Behaviour({0, 0, true});
    EXPECT_EQ(installer.RunRundll32(u"PRINTUI.DLL,PrintUIEntry /y /q /n \"A\""), 1);
    auto runs = sim::Rundll32Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].waits, std::vector<DWORD>{120000});
    EXPECT_FALSE(runs[0].ended);
    EXPECT_EQ(sim::OpenHandleCount("process"), 0u);
}

TEST_F(PrintUiCommands, InstallPrinterCreatesThePrinterAndChecksForIt)
{
    sim::SetTimeScale(0.1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(installer.InstallPrinter(), 1);
    // rundll32 ended at once; the existence check came only after the pause.
    EXPECT_GE(std::chrono::steady_clock::now() - start, sim::Scaled(500));
    EXPECT_EQ(Commands(), std::vector<std::string>{InstallCommand(
                              u"Korvel LQ-24", u"D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF", u"LPT1:")});
    auto printers = sim::Printers();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(Utf8(printers[0].name), "Korvel LQ-24");
    EXPECT_EQ(Utf8(printers[0].port), "LPT1:");
    EXPECT_EQ(Utf8(printers[0].driver), "KORVEL LQ-24");  // as the INF spells the model
    EXPECT_EQ(Utf8(installer.DriverInf()), "D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF");
}

TEST_F(PrintUiCommands, NameAndPortGivenReplaceTheStoredOnes)
{
    sim::SetTimeScale(0.01);
    WriteTypes("Korvel LQ-24=24\r\nKorvel LQ-9=9\r\n");
    Write9PinInf("\"KORVEL LQ-9\" = LQ9.GPD,USBPRINT\\KorvelLQ-9,X\n");
    sim::AddPort(u"USB001");
    EXPECT_EQ(installer.InstallPrinter(u"Korvel LQ-9", u"USB001"), 1);
    EXPECT_EQ(Utf8(installer.PrinterName()), "Korvel LQ-9");
    EXPECT_EQ(Utf8(installer.PortName()), "USB001");
    EXPECT_EQ(Utf8(installer.DriverInf()), "D:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF");
}

TEST_F(PrintUiCommands, WithoutATypeTheDirectoryGoesAfterTheInfSwitchAndNothingIsInstalled)
{
    sim::SetTimeScale(0.01);
    WriteTypes("Other=24\r\n");
    EXPECT_EQ(installer.InstallPrinter(), 0);
    // The folder's final backslash is doubled before the closing quotation mark, so the
    // entry reads the folder as the INF, and the port and model after it, and fails to
    // read the folder.
    EXPECT_EQ(Commands(),
              std::vector<std::string>{InstallCommand(u"Korvel LQ-24", u"D:\\Setup\\PrinterDriver\\", u"LPT1:")});
    ASSERT_EQ(sim::Rundll32Runs().size(), 1u);
    EXPECT_EQ(sim::Rundll32Runs()[0].exitCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(sim::Printers().empty());
}

TEST_F(PrintUiCommands, ALeftoverCopyDoesNotPassForTheNewPrinter)
{
    sim::SetTimeScale(0.01);
    sim::AddPrinterDriver(u"KORVEL LQ-24");
    sim::AddLocalPrinter(u"Korvel LQ-24 (Copy 1)", u"KORVEL LQ-24", u"LPT1:");
    sim::AddLocalPrinter(u"Korvel LQ-240", u"KORVEL LQ-24", u"LPT1:");
    Write24PinInf("\"KORVEL LQ-2400\" = X.GPD,USBPRINT\\X,X\r\n");  // no line for the model
    EXPECT_EQ(installer.InstallPrinter(), 0);
    EXPECT_EQ(sim::Printers().size(), 2u);
}

TEST_F(PrintUiCommands, AQuotationMarkInTheNameOrPortStartsNothing)
{
    sim::SetTimeScale(0.01);
    installer.SetSetDefault(1);
    installer.SetPrintTestPage(1);
    EXPECT_EQ(installer.InstallPrinter(u"A\" /r \"FILE:"), 0);
    EXPECT_EQ(installer.InstallPrinter(u"Korvel LQ-24", u"LPT1:\" /m \"Other"), 0);
    EXPECT_EQ(installer.SetDefaultPrinter(u"B\""), 0);
    EXPECT_EQ(installer.PrintTestPage(u"\""), 0);
    EXPECT_TRUE(sim::Rundll32Runs().empty());
    EXPECT_TRUE(sim::Printers().empty());
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(PrintUiCommands, ANameTooLongForItsFieldStartsNothing)
{
    sim::SetTimeScale(0.01);
    std::u16string longest(199, u'N');
    WriteTypes(Utf8(longest) + "=24\r\n");
    Write24PinInf("\"" + Utf8(longest) + "\" = N.GPD,USBPRINT\\N,N\r\n");
    EXPECT_EQ(installer.InstallPrinter(longest.c_str()), 1);
    EXPECT_EQ(installer.InstallPrinter((longest + u"N").c_str()), 0);
    EXPECT_EQ(sim::Rundll32Runs().size(), 1u);
}

TEST_F(PrintUiCommands, AProcessThatOutlivesTheWaitLeavesNoPrinterYet)
{
    sim::SetTimeScale(0.0001);
    sim::SetRundll32Behaviour({0, 0, true});
    EXPECT_EQ(installer.InstallPrinter(), 0);
    sim::EndRundll32Processes();
    ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
    EXPECT_EQ(sim::Printers().size(), 1u);  // it got there in the end, too late for the check
}

TEST_F(PrintUiCommands, DefaultPrinterAndTestPageFollowTheirFlags)
{
    sim::SetTimeScale(0.01);
    sim::AddPrinterDriver(u"D");
    sim::AddLocalPrinter(u"Korvel LQ-24", u"D", u"LPT1:");
    sim::AddLocalPrinter(u"Other", u"D", u"LPT1:");

    // Flags off: nothing starts and a name passed is not stored.
    EXPECT_EQ(installer.SetDefaultPrinter(u"Other"), 1);
    EXPECT_EQ(installer.PrintTestPage(u"Other"), 1);
    EXPECT_TRUE(sim::Rundll32Runs().empty());
    EXPECT_EQ(Utf8(installer.PrinterName()), "Korvel LQ-24");

    installer.SetSetDefault(1);
    installer.SetPrintTestPage(1);
    EXPECT_EQ(installer.SetDefaultPrinter(), 1);
    EXPECT_EQ(installer.PrintTestPage(u"Other"), 1);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"PRINTUI.DLL,PrintUIEntry /y /q /n \"Korvel LQ-24\"",
                                                    "PRINTUI.DLL,PrintUIEntry /k /q /n \"Other\""}));
    ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
    EXPECT_EQ(sim::DefaultPrinterName(), u"Korvel LQ-24");
    EXPECT_EQ(sim::Printers()[1].jobs, 1);
    EXPECT_EQ(Utf8(installer.PrinterName()), "Other");

    // A command that fails inside rundll32 still counts as started.
    EXPECT_EQ(installer.SetDefaultPrinter(u"Nobody"), 1);
    EXPECT_EQ(sim::DefaultPrinterName(), u"Korvel LQ-24");
}

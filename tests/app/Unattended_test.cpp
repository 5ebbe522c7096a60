// The program started with arguments: the unattended installation, repair and removal
// with their exit codes and their log, the catalogue on standard output, the usage,
// and the wizard with a log. Quiet runs must end by themselves: a box or a sheet would
// wait for a user, and the run would not end.
#include "app/CommandLine.h"
#include "app/LogFile.h"
#include "korvel_version.h"
#include "platform/devinst.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/process.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "tests/support/printui_texts.h"
#include "tests/support/sim_readings.h"
#include "tests/support/demo_medium.h"
#include "tests/support/wizard_fixture.h"

using sim::ui::Button;

namespace {

const char16_t kKx2410[] = u"Korvel KX-2410 Dot Matrix Printer";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& part)
{
    for (const std::string& l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

// What the program did to the PC, without what it merely looked at.
std::vector<std::string> Actions()
{
    std::vector<std::string> out;
    for (const std::string& l : sim::LogLines())
        for (const char* prefix : {"run ", "driver-update ", "delete-printer ", "delete-driver ", "reenumerate "})
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

// The printers, one "NAME on PORT with DRIVER" each, default marked.
std::vector<std::string> Spooler()
{
    std::vector<std::string> out;
    for (const sim::PrinterState& p : sim::Printers())
        out.push_back(text::ToUtf8(p.name) + " on " + text::ToUtf8(p.port) + " with " + text::ToUtf8(p.driver) +
                      (p.name == sim::DefaultPrinterName() ? " (default)" : ""));
    return out;
}

const std::string kVersionLine = "KorvelSetup " KORVEL_VERSION_TEXT " (x86-64)";

}  // namespace

class Unattended : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        sim::SetTimeScale(0.05);
        sim::StopClock(2024, 5, 1, 8, 30, 0);
    }

    // Runs the program with the arguments until it ends by itself; its exit code, or
    // -1 when it did not end (it waits for a user).
    static int Run(const char* arguments)
    {
        sim::SetCommandLine(u"\"D:\\Setup\\KorvelSetup.exe\" " + U16(arguments));
        StartWizard();
        if (!sim::ui::WaitProgramEnd(std::chrono::seconds(20))) return -1;
        return sim::ui::ProgramExitCode();
    }
    // The lines of a file the program wrote.
    static std::vector<std::string> FileLines(const char16_t* path)
    {
        for (const sim::WrittenFile& f : sim::WrittenFiles())
            if (f.path == path) return Lines(f.bytes);
        return {};
    }
    static void AttachKx2400()
    {
        sim::AddPort(u"USB001");
        sim::TypicalUsbPrinter p;
        p.deviceId = "MFG:KORVEL;CMD:ESC/P;MDL:KX-2400;CLS:PRINTER;";
        p.portNumber = 1;
        p.hardwareIds = {u"USBPRINT\\KORVELKX-24000913"};
        sim::PlugInTypicalUsbPrinter(p);
    }
};

TEST_F(Unattended, QuietInstallsOnTheNamedPortWithQuietCommandsAndNoWindow)
{
    EXPECT_EQ(Run("/quiet /model KX-2410 /port LPT2:"), 0);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    ASSERT_EQ(sim::Rundll32Runs().size(), 2u);
    EXPECT_EQ(Utf8(sim::Rundll32Runs()[0].parameters),
              InstallCommand(kKx2410, u"D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF", u"LPT2:", true));
    EXPECT_EQ(Utf8(sim::Rundll32Runs()[1].parameters), SetDefaultCommand(kKx2410));
    ASSERT_EQ(sim::Printers().size(), 1u);
    EXPECT_EQ(sim::Printers()[0].port, u"LPT2:");
    EXPECT_EQ(sim::DefaultPrinterName(), kKx2410);

    // /nodefault and /testpage; without /port the port is LPT1:. The default printer stays.
    EXPECT_EQ(Run("-S -MODEL KN-935 -NoDefault -TestPage"), 0);
    std::vector<sim::Rundll32Run> runs = sim::Rundll32Runs();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_NE(Utf8(runs[2].parameters)
                  .find("/if /q /n \"Korvel KN-935 9-Pin Printer\" /f "
                        "\"D:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF\" /r \"LPT1:\""),
              std::string::npos);
    EXPECT_EQ(Utf8(runs[3].parameters), "PRINTUI.DLL,PrintUIEntry /k /q /n \"Korvel KN-935 9-Pin Printer\"");
    EXPECT_EQ(sim::DefaultPrinterName(), kKx2410);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    EXPECT_EQ(sim::StdoutText() + sim::StderrText(), "");
    for (const char* kind : {"thread", "event", "process", "file", "device"})
        EXPECT_EQ(sim::OpenHandleCount(kind), 0u) << kind;
    EXPECT_EQ(sim::OpenPrinterHandleCount(), 0u);
}

TEST_F(Unattended, PlugAndPlayOnlyForTheAttachedModelOnItsOwnPort)
{
    AttachKx2400();
    EXPECT_EQ(Run("/quiet /log D:\\a.log"), 0);
    ASSERT_EQ(sim::DriverUpdates().size(), 1u);
    EXPECT_EQ(Utf8(sim::DriverUpdates()[0].hardwareId), "USBPRINT\\KORVELKX-24000913");
    EXPECT_TRUE(sim::DriverUpdates()[0].hadRebootFlag);
    // Nobody could answer a question of the driver installation: it may not ask any.
    EXPECT_EQ(sim::DriverUpdates()[0].installFlags, static_cast<DWORD>(INSTALLFLAG_FORCE | INSTALLFLAG_NONINTERACTIVE));
    // Plug and Play names the printer as the INF spells it; the spooler finds names in any case.
    EXPECT_EQ(Spooler(), std::vector<std::string>{"KORVEL KX-2400 Dot Matrix Printer on USB001 with KORVEL KX-2400 "
                                                  "Dot Matrix Printer (default)"});
    std::vector<std::string> log = FileLines(u"D:\\a.log");
    EXPECT_TRUE(Contains(log, "port USB001 (the default)"));
    EXPECT_TRUE(Contains(log, "by Plug and Play driver update"));
    EXPECT_TRUE(Contains(log, "the driver update succeeded; restart required: no"));
    EXPECT_TRUE(Contains(log, "printer \"Korvel KX-2400 Dot Matrix Printer\" is installed on port USB001"));

    // /repair replaces it all the same, and Windows asks for a restart: 3010.
    sim::SetDriverUpdatesAskRestart(true);
    EXPECT_EQ(Run("/quiet /repair /model KX-2400 /port usb001 /log D:\\a.log"), 3010);
    EXPECT_EQ(sim::DriverUpdates().size(), 2u);
    log = FileLines(u"D:\\a.log");
    EXPECT_TRUE(Contains(log, "is in place; /repair replaces it"));
    EXPECT_EQ(log.back(), "2024-05-01 08:30:00.000 installed; Windows asks for a restart; exit code 3010");

    // Another model, or the attached model on another port: the printer-UI road on the
    // port asked, never a driver update of a device that is not the one asked for.
    sim::SetDriverUpdatesAskRestart(false);
    EXPECT_EQ(Run("/quiet /model KN-920 /port LPT1: /log D:\\a.log"), 0);
    EXPECT_EQ(Run("/quiet /model KX-2400 /port LPT2: /log D:\\a.log"), 0);
    EXPECT_EQ(sim::DriverUpdates().size(), 2u);
    EXPECT_EQ(Spooler(), (std::vector<std::string>{
                             "Korvel KN-920 9-Pin Printer on LPT1: with KORVEL KN-920 9-Pin Printer",
                             "Korvel KX-2400 Dot Matrix Printer on LPT2: with KORVEL KX-2400 Dot Matrix Printer "
                             "(default)"}));
    EXPECT_TRUE(Contains(FileLines(u"D:\\a.log"),
                         "installing \"Korvel KX-2400 Dot Matrix Printer\" on port LPT2: by "
                         "the printer-UI command"));
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(Unattended, EverythingIsCheckedBeforeAnythingIsRemoved)
{
    ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, u"Generic Text", u"LPT1:"));
    const struct {
        const char* arguments;
        const char* logLine;  // the fault in the log
    } table[] = {
        {"/quiet /model ZZ-9", "model \"ZZ-9\" is not in the catalogue (/list shows its models)"},
        {"/quiet /model kx-2410", "model \"kx-2410\" is not in the catalogue"},  // models match exactly
        {"/quiet /model KX-2410 /port LTP1:",
         "the port LTP1: is not one of this PC's ports: LPT1: LPT2: LPT3: COM1: COM2: COM3: COM4: FILE:"},
        {"/q /model KX-2410 /port \"LPT\\\"2:\"", "the port LPT\"2: is too long or holds a quotation mark"},
        {"/quiet /modle KX-2410", "bad command line: unknown switch /modle"},
        {"/quiet /model", "bad command line: /model needs a value"},
        {"/q /model KX-2410 LPT2:", "bad command line: \"LPT2:\" is not a switch"},
    };
    for (const auto& row : table) {
        sim::ClearLog();
        EXPECT_EQ(Run((std::string(row.arguments) + " /log D:\\c.log").c_str()), 1639) << row.arguments;
        EXPECT_TRUE(Actions().empty()) << row.arguments;
        EXPECT_TRUE(Contains(FileLines(u"D:\\c.log"), row.logLine)) << row.arguments;
        EXPECT_EQ(FileLines(u"D:\\c.log").back(),
                  "2024-05-01 08:30:00.000 bad command line, nothing changed; "
                  "exit code 1639");
    }
    EXPECT_EQ(sim::StderrText().rfind(
                  "KorvelSetup: unknown switch /modle\n\nKorvel Printer Driver Setup " KORVEL_VERSION_TEXT "\n", 0),
              0u);
    // The medium's faults too: a model without a printer name or a type, a driver INF
    // without a model line for the printer.
    WriteCatalogue(
        "[PRINTER_SERIES]\r\nX Series\r\n[X Series]\r\nX-1\r\nX-2\r\nX-3\r\n[PRINTER_NAME]\r\nX-2=Korvel X-2\r\n"
        "X-3=Korvel KX-2410 Dot Matrix Printer\r\n[PRINTER_TYPE]\r\nKorvel X-2=09\r\n"
        "Korvel KX-2410 Dot Matrix Printer=9\r\n");
    EXPECT_EQ(Run("/quiet /model X-1 /log D:\\c.log"), 1639);
    EXPECT_TRUE(Contains(FileLines(u"D:\\c.log"), "the catalogue names no printer for model \"X-1\""));
    EXPECT_EQ(Run("/quiet /model X-2 /log D:\\c.log"), 1639);
    EXPECT_TRUE(
        Contains(FileLines(u"D:\\c.log"), "the catalogue gives printer \"Korvel X-2\" no type the setup takes"));
    EXPECT_EQ(Run("/quiet /model X-3 /log D:\\c.log"), 1639);
    EXPECT_TRUE(Contains(FileLines(u"D:\\c.log"),
                         "the driver INF D:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF has no "
                         "model line for \"Korvel KX-2410 Dot Matrix Printer\""));
    EXPECT_TRUE(Actions().empty());
    EXPECT_TRUE(HasPrinter(kKx2410));
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(Unattended, NothingToInstallIsAFailureAndTouchesNothing)
{
    ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, u"Generic Text", u"LPT1:"));
    EXPECT_EQ(Run("/quiet /log D:\\b.log"), 1603);  // nothing attached, no /model
    // A USB printer the catalogue does not list is nothing to install either.
    sim::TypicalUsbPrinter other;
    other.deviceId = "MFG:ACME;MDL:ZZ-9;";
    sim::PlugInTypicalUsbPrinter(other);
    EXPECT_EQ(Run("/quiet /log D:\\b.log"), 1603);
    std::vector<std::string> log = FileLines(u"D:\\b.log");
    EXPECT_TRUE(Contains(log, "USB printer attached: model \"ZZ-9\", not in the catalogue"));
    EXPECT_TRUE(Contains(log, "no /model given and no printer of the catalogue is attached: nothing to install"));
    EXPECT_EQ(log.back(), "2024-05-01 08:30:00.000 the installation failed; exit code 1603");
    EXPECT_TRUE(Actions().empty());
    EXPECT_TRUE(HasPrinter(kKx2410));
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(Unattended, AFailedInstallationEnds1603WithoutABox)
{
    // rundll32 cannot start: the launcher's box becomes a line of the log.
    sim::Rundll32Behaviour cannotStart;
    cannotStart.startError = ERROR_FILE_NOT_FOUND;
    sim::SetRundll32Behaviour(cannotStart);
    EXPECT_EQ(Run("/quiet /model KX-2410 /log D:\\f.log"), 1603);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    std::vector<std::string> log = FileLines(u"D:\\f.log");
    EXPECT_TRUE(Contains(log,
                         "rundll32 could not be started: error 2 (ERROR_FILE_NOT_FOUND: The system cannot find "
                         "the file specified.), The specified file was not found."));
    EXPECT_TRUE(Contains(log, "the installation failed; exit code 1603"));
    sim::SetRundll32Behaviour(sim::Rundll32Behaviour());

    // The removal cannot start: nothing is removed and nothing installed.
    ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, u"Generic Text", u"LPT1:"));
    sim::FailCall("CreateThread", ERROR_NOT_ENOUGH_MEMORY, 1);
    EXPECT_EQ(Run("/quiet /model KX-2410"), 1603);
    EXPECT_TRUE(HasPrinter(kKx2410));
    EXPECT_TRUE(sim::Rundll32Runs().empty());

    // An older printer that survives its removal: nothing is installed beside it.
    sim::FailCall("DeletePrinter", ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(Run("/quiet /model KX-2410 /log D:\\f.log"), 1603);
    EXPECT_TRUE(Contains(FileLines(u"D:\\f.log"),
                         "printer \"Korvel KX-2410 Dot Matrix Printer\" is still installed "
                         "after the removal: nothing installed beside it"));
    EXPECT_EQ(Spooler(), std::vector<std::string>{"Korvel KX-2410 Dot Matrix Printer on LPT1: with Generic Text"});

    // A catalogue that lists nothing.
    WriteCatalogue("");
    EXPECT_EQ(Run("/quiet /model X-1 /log D:\\f.log"), 1603);
    EXPECT_TRUE(Contains(FileLines(u"D:\\f.log"), "the catalogue D:\\Setup\\PrinterInfor.Inf lists no series"));
    EXPECT_TRUE(sim::Rundll32Runs().empty());
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(Unattended, TheLogHasEveryStepAndIsAppended)
{
    sim::AddPrinterDriver(kKx2410);
    ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, kKx2410, u"LPT1:"));
    ASSERT_TRUE(sim::AddLocalPrinter(std::u16string(kKx2410) + u" (Copy 1)", kKx2410, u"LPT2:", 2));
    ASSERT_TRUE(sim::AddLocalPrinter(u"Other", u"Generic Text", u"LPT3:"));
    EXPECT_EQ(Run("/quiet /model KX-2410 /port LPT2: /log \"D:\\Setup\\install log.txt\""), 0);
    std::vector<std::string> log = FileLines(u"D:\\Setup\\install log.txt");
    const std::string expected[] = {
        "2024-05-01 08:30:00.000 KorvelSetup " KORVEL_VERSION_TEXT " (x86-64)",
        "2024-05-01 08:30:00.000 command line: \"D:\\Setup\\KorvelSetup.exe\" /quiet /model KX-2410 /port LPT2: /log "
        "\"D:\\Setup\\install log.txt\"",
        "2024-05-01 08:30:00.000 setup folder: D:\\Setup\\",
        "2024-05-01 08:30:00.000 no USB printer attached",
        "2024-05-01 08:30:00.000 catalogue: series \"KX Series\", model \"KX-2410\", printer \"Korvel KX-2410 Dot "
        "Matrix "
        "Printer\", type 24",
        "2024-05-01 08:30:00.000 port LPT2:",
        "2024-05-01 08:30:00.000 printer \"Korvel KX-2410 Dot Matrix Printer\" is not as asked (printer \"Korvel "
        "KX-2410 Dot Matrix Printer (Copy 1)\" stands beside it): it is replaced",
        "2024-05-01 08:30:00.000 printer \"Korvel KX-2410 Dot Matrix Printer (Copy 1)\" has 2 queued job(s), which "
        "its removal drops",
        "2024-05-01 08:30:00.000 printer \"Korvel KX-2410 Dot Matrix Printer\" is installed: removing it and its "
        "copies "
        "with their drivers",
        "2024-05-01 08:30:00.000 found printer \"Korvel KX-2410 Dot Matrix Printer\"",
        "2024-05-01 08:30:00.000 found printer \"Korvel KX-2410 Dot Matrix Printer (Copy 1)\"",
        "2024-05-01 08:30:00.000 removed printer \"Korvel KX-2410 Dot Matrix Printer\"",
        "2024-05-01 08:30:00.000 driver \"Korvel KX-2410 Dot Matrix Printer\" not deleted: error 3001 "
        "(ERROR_PRINTER_DRIVER_IN_USE: The specified printer driver is currently in use.)",
        "2024-05-01 08:30:00.000 removed printer \"Korvel KX-2410 Dot Matrix Printer (Copy 1)\"",
        "2024-05-01 08:30:00.000 driver \"Korvel KX-2410 Dot Matrix Printer (Copy 1)\" not deleted: error 1797 "
        "(ERROR_UNKNOWN_PRINTER_DRIVER: The printer driver is unknown.)",
        "2024-05-01 08:30:00.000 devices re-scanned",
        "2024-05-01 08:30:00.000 installing \"Korvel KX-2410 Dot Matrix Printer\" on port LPT2: by the printer-UI "
        "command, driver INF D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF",
        "2024-05-01 08:30:00.000 starting rundll32 " +
            InstallCommand(kKx2410, u"D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF", u"LPT2:", true),
        "2024-05-01 08:30:00.000 rundll32 ended with exit code 0",
        "2024-05-01 08:30:00.000 printer \"Korvel KX-2410 Dot Matrix Printer\" is installed on port LPT2:",
        "2024-05-01 08:30:00.000 starting rundll32 PRINTUI.DLL,PrintUIEntry /y /q /n \"Korvel KX-2410 Dot Matrix "
        "Printer\"",
        "2024-05-01 08:30:00.000 rundll32 ended with exit code 0",
        "2024-05-01 08:30:00.000 installed; exit code 0",
    };
    EXPECT_EQ(log, std::vector<std::string>(std::begin(expected), std::end(expected)));
    // The file is UTF-8 with CR LF line ends; a second run appends.
    EXPECT_EQ(sim::WrittenFiles()[0].bytes.find("\r\n"), sim::WrittenFiles()[0].bytes.find('\n') - 1);
    sim::StopClock(2024, 5, 2, 9, 0, 0);
    EXPECT_EQ(Run("/quiet /model KX-2499 /log \"D:\\Setup\\install log.txt\""), 1639);
    log = FileLines(u"D:\\Setup\\install log.txt");
    ASSERT_GT(log.size(), std::size(expected));
    EXPECT_EQ(log[std::size(expected) - 1], expected[std::size(expected) - 1]);
    EXPECT_EQ(log.back(), "2024-05-02 09:00:00.000 bad command line, nothing changed; exit code 1639");

    // An argument with a line end in it cannot forge a line of the log.
    size_t before = log.size();
    EXPECT_EQ(Run("/quiet /log \"D:\\Setup\\install log.txt\" /model \"X\n2024-05-02 installed; exit code 0\""), 1639);
    log = FileLines(u"D:\\Setup\\install log.txt");
    ASSERT_EQ(log.size(), before + 6);
    EXPECT_EQ(log[before + 4],
              "2024-05-02 09:00:00.000 model \"X^J2024-05-02 installed; exit code 0\" is not in the "
              "catalogue (/list shows its models)");
}

TEST_F(Unattended, ALogThatCannotBeWrittenNeverStopsTheInstallation)
{
    // No such folder: standard error says so, and the installation goes on.
    EXPECT_EQ(Run("/quiet /model KX-2410 /log D:\\missing\\setup.log"), 0);
    EXPECT_EQ(sim::StderrText(),
              "KorvelSetup: The log D:\\missing\\setup.log cannot be written: error 3 (ERROR_PATH_NOT_FOUND: The "
              "system cannot find the path specified.); the setup goes on without it.\n");
    EXPECT_TRUE(HasPrinter(kKx2410));
    EXPECT_TRUE(sim::WrittenFiles().empty());

    // Writes that start failing half-way: one report, then silence.
    sim::FailCall("WriteFile", ERROR_DISK_FULL, -1);
    EXPECT_EQ(Run("/quiet /model KN-935 /log D:\\full.log"), 0);
    std::string report = sim::StderrText().substr(sim::StderrText().find('\n') + 1);
    EXPECT_EQ(report,
              "KorvelSetup: the log D:\\full.log cannot be written: error 112 (ERROR_DISK_FULL: There is not enough "
              "space on the disk.); the setup goes on without it\n");
    EXPECT_TRUE(HasPrinter(u"Korvel KN-935 9-Pin Printer"));
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);

    // A device is no log: refused as a log that cannot be opened.
    for (const char* device : {"COM1", "LPT1:", "D:\\Setup\\nul.txt"}) {
        size_t before = sim::StderrText().size();
        EXPECT_EQ(Run((std::string("/quiet /model KN-935 /log ") + device).c_str()), 0) << device;
        EXPECT_EQ(sim::StderrText().substr(before), std::string("KorvelSetup: The log ") + device +
                                                        " cannot be written: it is a device, not a file on a disk; "
                                                        "the setup goes on without it.\n");
    }
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);
}

TEST_F(Unattended, TheCatalogueAndTheUsageGoToStandardOutput)
{
    EXPECT_EQ(Run("/list"), 0);
    std::vector<std::string> out = Lines(sim::StdoutText());
    // A header, then a line for each model of each series, as the demo medium lists them.
    std::vector<std::string> series = demo::Series();
    size_t models = 0;
    for (const std::string& s : series) models += demo::Models(s).size();
    ASSERT_EQ(out.size(), 1 + models);
    EXPECT_EQ(out[0], "series\tmodel\tprinter name\ttype");
    EXPECT_EQ(out[1], "KX Series\tKX-2400\tKorvel KX-2400 Dot Matrix Printer\t24");
    EXPECT_EQ(out[1 + demo::Models("KX Series").size()],
              "KX Wide Series\tKX-2480\tKorvel KX-2480 Wide Carriage Printer\t24");
    EXPECT_EQ(out.back().rfind(series.back() + "\t" + demo::Models(series.back()).back() + "\t", 0), 0u) << out.back();
    EXPECT_TRUE(Actions().empty());

    size_t listed = sim::StdoutText().size();
    EXPECT_EQ(Run("/quiet /?"), 0);
    EXPECT_EQ(sim::StdoutText().substr(listed), text::ToUtf8(cmdline::kUsage, text::Length(cmdline::kUsage)));
    EXPECT_TRUE(sim::ui::BoxHistory().empty());

    // A model without a type the setup takes shows "-".
    WriteCatalogue(
        "[PRINTER_SERIES]\r\nX Series\r\n[X Series]\r\nX-1\r\nX-2\r\n[PRINTER_NAME]\r\nX-1=Korvel X-1\r\n"
        "[PRINTER_TYPE]\r\nKorvel X-1=09\r\n");
    size_t before = sim::StdoutText().size();
    EXPECT_EQ(Run("/list"), 0);
    EXPECT_EQ(sim::StdoutText().substr(before),
              "series\tmodel\tprinter name\ttype\nX Series\tX-1\tKorvel X-1\t-\n"
              "X Series\tX-2\t\t-\n");
    WriteCatalogue("");
    EXPECT_EQ(Run("/list"), 1603);
    EXPECT_EQ(sim::StderrText(), "KorvelSetup: the catalogue D:\\Setup\\PrinterInfor.Inf lists no series\n");
}

TEST_F(Unattended, WithAWindowTheUsageAndFaultsAreShownInABox)
{
    sim::SetCommandLine(u"KorvelSetup.exe /?");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitForBox(std::chrono::seconds(5)));
    sim::ui::BoxState box = sim::ui::Take().boxes.at(0);
    EXPECT_EQ(Utf8(box.caption), "Korvel Printer Driver Setup");
    EXPECT_EQ(box.text, std::u16string(cmdline::kUsage));
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 0);

    // An unknown switch typed by hand, with neither a quiet nor an installation switch.
    sim::SetCommandLine(u"KorvelSetup.exe /modle KX-2400");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitForBox(std::chrono::seconds(5)));
    box = sim::ui::Take().boxes.at(0);
    EXPECT_EQ(Utf8(box.caption), "ERROR");
    EXPECT_EQ(Utf8(box.text).rfind("unknown switch /modle\n\nKorvel Printer Driver Setup " KORVEL_VERSION_TEXT "\n", 0),
              0u);
    EXPECT_FALSE(sim::ui::Take().sheetOpen);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 1639);
    EXPECT_TRUE(Actions().empty());
    EXPECT_EQ(sim::ErrorMode(), 0u);  // a person is there: the system's boxes may show

    // A switch of the installation alone is a quiet run, which nobody under the system
    // account could answer a box in: /nodefault installs the attached printer, and
    // leaves the default printer as it was; a quiet run fails the system's boxes.
    ASSERT_TRUE(sim::AddLocalPrinter(u"Office", u"Generic Text", u"LPT3:"));
    sim::SetDefaultPrinterName(u"Office");
    AttachKx2400();
    EXPECT_EQ(Run("/nodefault"), 0);
    EXPECT_EQ(sim::DefaultPrinterName(), u"Office");
    EXPECT_EQ(sim::ErrorMode(),
              static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX));
    EXPECT_TRUE(sim::ui::BoxHistory().size() == 2u) << "only the two boxes above";
}

TEST_F(Unattended, TheWizardWithALogEndsAsBeforeAndLogsItsRoad)
{
    sim::SetCommandLine(u"KorvelSetup.exe /log D:\\wizard.log");
    WalkToFinishPage("KN Series", "KN-935");
    ASSERT_TRUE(FinishSucceeds());
    EXPECT_EQ(sim::ui::ProgramExitCode(), 0);
    std::vector<std::string> log = FileLines(u"D:\\wizard.log");
    ASSERT_GE(log.size(), 4u);
    // The wizard's own commands stay as they are: no /q in its installation command.
    EXPECT_TRUE(Contains(log, "starting rundll32 PRINTUI.DLL,PrintUIEntry /if /n \"Korvel KN-935 9-Pin Printer\""));
    EXPECT_TRUE(Contains(log, "printer \"Korvel KN-935 9-Pin Printer\" is installed"));
    EXPECT_EQ(log.back(), "2024-05-01 08:30:00.000 the wizard closed; exit code 0");

    // A log that cannot be opened is said in a box before the wizard, which then runs.
    sim::SetCommandLine(u"KorvelSetup.exe /log Q:\\nowhere.log");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitForBox(std::chrono::seconds(5)));
    EXPECT_EQ(Utf8(sim::ui::Take().boxes.at(0).text),
              "The log Q:\\nowhere.log cannot be written: error 3 (ERROR_PATH_NOT_FOUND: The system cannot find the "
              "path specified.); the setup goes on without it.");
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    EXPECT_TRUE(Now().sheetOpen);
    CancelWizard();
    EXPECT_EQ(sim::ui::ProgramExitCode(), 0);
}

TEST_F(Unattended, APlainStartWritesNothingNewAndEndsWithZero)
{
    StartWizard();
    EXPECT_TRUE(Now().sheetOpen);
    CancelWizard();
    EXPECT_EQ(sim::ui::ProgramExitCode(), 0);
    EXPECT_TRUE(sim::WrittenFiles().empty());
    EXPECT_EQ(sim::StdoutText() + sim::StderrText(), "");
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(Unattended, TheFinishPageAndTheQuietRunTakeTheSameRoad)
{
    // The same PC twice: an older printer of the chosen name with a copy, a stranger.
    auto setUpPc = [] {
        sim::AddPrinterDriver(kKx2410);
        ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, kKx2410, u"LPT1:"));
        ASSERT_TRUE(sim::AddLocalPrinter(std::u16string(kKx2410) + u" (Copy 1)", kKx2410, u"LPT2:", 2));
        ASSERT_TRUE(sim::AddLocalPrinter(u"Korvel KX-2410 Dot Matrix", u"Generic Text", u"LPT3:"));
    };
    setUpPc();
    StartWizard();
    Press(Button::Next);
    Choose(IDC_MODEL_LIST, "KX-2410");
    Press(Button::Next);
    Press(Button::Next);
    Press(Button::Finish);
    ASSERT_EQ(Now().boxes.size(), 1u);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    std::vector<std::string> byWizard = Actions();
    std::string wizardSpooler = sim::DescribeSpooler();

    sim::ResetMachine();
    sim::MapDrive('D', m_root.string());
    sim::SetModulePath(u"D:\\Setup\\KorvelSetup.exe");
    sim::SetTimeScale(0.05);
    setUpPc();
    EXPECT_EQ(Run("/quiet /model KX-2410 /port LPT1:"), 0);
    std::vector<std::string> quietly = Actions();
    // The one difference: the installation command runs quietly.
    for (std::string& line : quietly) {
        size_t q = line.find("/if /q ");
        if (q != std::string::npos) line.erase(q + 3, 3);
    }
    EXPECT_EQ(quietly, byWizard);
    EXPECT_EQ(sim::DescribeSpooler(), wizardSpooler);
    EXPECT_GE(byWizard.size(), 6u);
}

TEST_F(Unattended, AReRunChangesNothingUnlessRepairAsksAndSaysWhatAReplacementDrops)
{
    EXPECT_EQ(Run("/quiet /model KX-2410 /port LPT2:"), 0);
    sim::AddJobs(kKx2410, 3);
    sim::SetDefaultPrinterName(u"");
    sim::ClearLog();
    // In place: nothing removed, nothing installed; the default printer as asked.
    EXPECT_EQ(Run("/quiet /model KX-2410 /port lpt2: /log D:\\r.log"), 0);
    EXPECT_EQ(Actions(), std::vector<std::string>{"run rundll32 PRINTUI.DLL,PrintUIEntry /y /q /n \"Korvel KX-2410 Dot "
                                                  "Matrix Printer\""});
    EXPECT_TRUE(Contains(FileLines(u"D:\\r.log"),
                         "printer \"Korvel KX-2410 Dot Matrix Printer\" is already installed on "
                         "port LPT2: with its driver: nothing to change"));
    EXPECT_EQ(sim::Printers().at(0).jobs, 3);
    EXPECT_EQ(sim::DefaultPrinterName(), kKx2410);

    // Another port, or /repair: the replacement, which says how many jobs it drops.
    EXPECT_EQ(Run("/quiet /model KX-2410 /port LPT3: /log D:\\r.log"), 0);
    EXPECT_TRUE(Contains(FileLines(u"D:\\r.log"),
                         "printer \"Korvel KX-2410 Dot Matrix Printer\" is not as asked (it is "
                         "on port LPT2:, not on LPT3:): it is replaced"));
    EXPECT_TRUE(Contains(FileLines(u"D:\\r.log"),
                         "printer \"Korvel KX-2410 Dot Matrix Printer\" has 3 queued job(s), "
                         "which its removal drops"));
    sim::ClearLog();
    EXPECT_EQ(Run("/quiet /repair /nodefault /model KX-2410 /port LPT3: /log D:\\r.log"), 0);
    EXPECT_EQ(Actions().size(), 4u);  // the deletions, the re-scan and the installation command
    EXPECT_EQ(Spooler(), std::vector<std::string>{"Korvel KX-2410 Dot Matrix Printer on LPT3: with KORVEL KX-2410 Dot "
                                                  "Matrix Printer"});
}

TEST_F(Unattended, AStepTheCommandLineAskedForFailsTheRunAndLeavesThePrinter)
{
    // The default printer is not the printer after its command (as when rundll32 did
    // not set it): the run fails.
    sim::FailCall("GetDefaultPrinterW", ERROR_FILE_NOT_FOUND, 1);
    EXPECT_EQ(Run("/quiet /model KN-935 /log D:\\s.log"), 1603);
    EXPECT_TRUE(Contains(FileLines(u"D:\\s.log"),
                         "printer \"Korvel KN-935 9-Pin Printer\" could not be made the default "
                         "printer; it stays installed"));
    // The test page: rundll32 that does not start for it.
    sim::FailCall("ShellExecuteExW", ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(Run("/quiet /model KN-935 /testpage /nodefault /log D:\\s.log"), 1603);
    EXPECT_TRUE(Contains(FileLines(u"D:\\s.log"),
                         "no test page was printed on \"Korvel KN-935 9-Pin Printer\"; the "
                         "printer stays installed"));
    EXPECT_TRUE(HasPrinter(u"Korvel KN-935 9-Pin Printer"));
    EXPECT_EQ(sim::Printers().size(), 1u);
}

TEST_F(Unattended, TheSystemAccountSetsNobodysDefaultAndLogsToItsTemporaryFolder)
{
    sim::SetSystemAccount(true);
    EXPECT_EQ(Run("/quiet /model KN-935"), 0);
    EXPECT_TRUE(HasPrinter(u"Korvel KN-935 9-Pin Printer"));
    EXPECT_EQ(sim::DefaultPrinterName(), u"");
    EXPECT_EQ(sim::Rundll32Runs().size(), 1u);  // no /y
    std::vector<std::string> log = FileLines(u"C:\\Windows\\Temp\\KorvelSetup.log");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "2024-05-01 08:30:00.000 " + kVersionLine);
    EXPECT_TRUE(Contains(log,
                         "the program runs as the system account (S-1-5-18): the default printer belongs to "
                         "each user, so none is set"));
    EXPECT_EQ(log.back(), "2024-05-01 08:30:00.000 installed; exit code 0");

    // An administrator's run logs to the administrator's %TEMP%; a start without
    // arguments writes nothing.
    sim::SetSystemAccount(false);
    EXPECT_EQ(Run("/quiet /model KN-935"), 0);
    EXPECT_EQ(FileLines(u"C:\\Users\\Admin\\AppData\\Local\\Temp\\KorvelSetup.log").back(),
              "2024-05-01 08:30:00.000 installed; exit code 0");
    EXPECT_EQ(sim::DefaultPrinterName(), u"Korvel KN-935 9-Pin Printer");
    // The account cannot be told: the printer is installed, the default step cannot be
    // judged and is not done, and the run fails.
    sim::FailCall("OpenProcessToken", ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(Run("/quiet /model KN-935 /repair"), 1603);
    EXPECT_TRUE(HasPrinter(u"Korvel KN-935 9-Pin Printer"));
    EXPECT_TRUE(Contains(FileLines(u"C:\\Users\\Admin\\AppData\\Local\\Temp\\KorvelSetup.log"),
                         "the account cannot be told: error 5 (ERROR_ACCESS_DENIED: Access is denied.)"));
    EXPECT_EQ(sim::OpenHandleCount("token"), 0u);
}

TEST_F(Unattended, UninstallRemovesTheFamilyAndTheDriverOrSaysWhyNot)
{
    sim::AddPrinterDriver(kKx2410);
    ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, kKx2410, u"LPT1:"));
    ASSERT_TRUE(sim::AddLocalPrinter(std::u16string(kKx2410) + u" (Copy 1)", kKx2410, u"LPT2:"));
    ASSERT_TRUE(sim::AddLocalPrinter(u"Other", u"Generic Text", u"LPT3:"));
    EXPECT_EQ(Run("/uninstall /model KX-2410 /log D:\\u.log"), 0);
    EXPECT_EQ(Spooler(), std::vector<std::string>{"Other on LPT3: with Generic Text"});
    EXPECT_TRUE(sim::PrinterDrivers().empty());
    std::vector<std::string> log = FileLines(u"D:\\u.log");
    EXPECT_TRUE(Contains(log, "deleted driver \"Korvel KX-2410 Dot Matrix Printer\""));
    EXPECT_EQ(log.back(), "2024-05-01 08:30:00.000 removed; exit code 0");

    // Nothing there: 0, and the log says so.
    EXPECT_EQ(Run("/uninstall /model KX-2410 /log D:\\u.log"), 0);
    EXPECT_TRUE(Contains(FileLines(u"D:\\u.log"),
                         "neither a printer nor a driver \"Korvel KX-2410 Dot Matrix Printer\" "
                         "was installed: nothing to remove"));
    // A removal that fails: 1603. A model not in the catalogue: 1639.
    ASSERT_TRUE(sim::AddLocalPrinter(kKx2410, u"Generic Text", u"LPT1:"));
    sim::FailCall("DeletePrinter", ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(Run("/uninstall /model KX-2410 /log D:\\u.log"), 1603);
    EXPECT_TRUE(Contains(FileLines(u"D:\\u.log"), "printer \"Korvel KX-2410 Dot Matrix Printer\" is still installed"));
    EXPECT_EQ(FileLines(u"D:\\u.log").back(), "2024-05-01 08:30:00.000 the removal failed; exit code 1603");
    EXPECT_EQ(Run("/uninstall /model KX-9999"), 1639);
    EXPECT_TRUE(HasPrinter(kKx2410));
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
}

TEST_F(Unattended, ALibraryErrorLeavesALastLineInTheLog)
{
    // What the lean Windows program writes where the library would throw, without
    // taking memory.
    CLogFile log;
    WString why;
    ASSERT_TRUE(log.Open(u"D:\\last.log", &why));
    log.Step(u"a step");
    log.LastWords("the program ran out of memory; exit code 1603");
    EXPECT_EQ(FileLines(u"D:\\last.log"),
              (std::vector<std::string>{"2024-05-01 08:30:00.000 a step",
                                        "2024-05-01 08:30:00.000 the program ran out of memory; exit code 1603"}));
}

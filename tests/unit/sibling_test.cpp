// Start-up on 64-bit Windows: the 32-bit program hands over to the x86-64 program
// beside it on the setup medium, before anything is shown, and stands in for it:
// same arguments, ends when it ends, with its exit code.
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/Sibling.h"
#include "platform/sim/control/process.h"
#include "tests/unit/sim_fixture.h"

namespace {

class SiblingTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        char pattern[] = "/tmp/korvel-sibling.XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::create_directories(root / "Setup");
        std::ofstream(root / "Setup" / "KorvelSetup.exe") << "MZ";
        sim::MapDrive('D', root.string());
        sim::SetModulePath(u"D:\\Setup\\KorvelSetup.exe");
    }
    void TearDown() override
    {
        SimTest::TearDown();
        std::filesystem::remove_all(root);
    }
    void AddSibling() { std::ofstream(root / "Setup" / "KorvelSetup64.exe") << "MZ"; }

    static std::vector<std::string> Started()
    {
        std::vector<std::string> started;
        for (const std::string& line : sim::LogLines())
            if (line.rfind("CreateProcessW ", 0) == 0) started.push_back(line);
        return started;
    }
    static std::string StartedWith(const std::string& commandLine)
    {
        return "CreateProcessW \"D:\\Setup\\KorvelSetup64.exe\" command line \"" + commandLine + "\" directory none";
    }
    // Starts the program; true when the wizard showed (and then ended with exit code 0
    // on Cancel), false when the program ended without a window.
    bool WizardShows()
    {
        StartWizard();
        EXPECT_TRUE(Stable());
        if (!sim::ui::ProgramRunning()) return false;
        bool shown = sim::ui::Take().sheetOpen;
        EXPECT_TRUE(sim::ui::Press(sim::ui::Button::Cancel));
        EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
        EXPECT_EQ(sim::ui::ProgramExitCode(), 0);
        return shown;
    }

    std::filesystem::path root;
};

TEST_F(SiblingTest, UnderWow64TheProgramEndsWhenTheSiblingEndsWithItsExitCode)
{
    AddSibling();
    sim::SetWow64(true);
    sim::SetCommandLine(u"\"D:\\Setup\\KorvelSetup.exe\" /quiet /log \"C:\\a b.txt\"");
    sim::StartedProcessBehaviour running;
    running.endsNever = true;
    running.exitCode = 3010;
    sim::SetStartedProcessBehaviour(running);
    StartWizard();
    for (int i = 0; i < 500 && Started().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(Started(), std::vector<std::string>{StartedWith("\"D:\\Setup\\KorvelSetup64.exe\" /quiet /log "
                                                              "\"C:\\a b.txt\"")});
    // While the sibling runs, the program waits for it, showing nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(sim::ui::ProgramRunning());
    EXPECT_FALSE(sim::ui::Take().sheetOpen);

    sim::EndStartedProcesses();
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 3010);
    // The start-up went no further: no common controls, no sheet, no box.
    EXPECT_EQ(sim::LogLines().size(), 1u);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    EXPECT_EQ(sim::OpenHandleCount("process"), 0u);
    EXPECT_EQ(sim::OpenHandleCount("thread"), 0u);
}

TEST_F(SiblingTest, TheSiblingGetsTheArgumentsAsTheyStandAfterTheProgramName)
{
    AddSibling();
    sim::SetWow64(true);
    const struct {
        const char16_t* commandLine;
        const char* passed;
    } table[] = {
        {u"\"D:\\Setup\\KorvelSetup.exe\"", "\"D:\\Setup\\KorvelSetup64.exe\""},
        {u"D:\\Setup\\KorvelSetup.exe /q  x", "\"D:\\Setup\\KorvelSetup64.exe\" /q  x"},
        {u"\"D:\\Setup\\KorvelSetup.exe\"/q", "\"D:\\Setup\\KorvelSetup64.exe\"/q"},
        {u"KorvelSetup\t\"a \\\"b\\\" c\" ", "\"D:\\Setup\\KorvelSetup64.exe\"\t\"a \\\"b\\\" c\" "},
        {u"\"D:\\Set up\\KorvelSetup.exe /q", "\"D:\\Setup\\KorvelSetup64.exe\""},  // no closing mark
        {u"", "\"D:\\Setup\\KorvelSetup64.exe\""},
    };
    DWORD exitCode = 0;
    for (const auto& row : table) {
        sim::ClearLog();
        sim::SetStartedProcessBehaviour({++exitCode, 10, false});
        SiblingRun run = RunSiblingUnderWow64(u"D:\\Setup\\", row.commandLine);
        EXPECT_EQ(run.outcome, SiblingRun::kEnded);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_EQ(Started(), std::vector<std::string>{StartedWith(row.passed)}) << Utf8(row.commandLine);
    }
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(SiblingTest, WithoutWow64OrWithoutASiblingTheWizardRunsAsBefore)
{
    // The x86-64 program itself, or the 32-bit one on 32-bit Windows.
    AddSibling();
    sim::SetWow64(false);
    EXPECT_TRUE(WizardShows());
    EXPECT_TRUE(Started().empty());

    // Under WOW64 with no sibling on the medium (a folder of that name is none).
    std::filesystem::remove(root / "Setup" / "KorvelSetup64.exe");
    std::filesystem::create_directories(root / "Setup" / "KorvelSetup64.exe");
    sim::SetWow64(true);
    EXPECT_TRUE(WizardShows());
    EXPECT_TRUE(Started().empty());
}

TEST_F(SiblingTest, ASiblingThatDoesNotStartLeavesTheWizardToRun)
{
    AddSibling();
    sim::SetWow64(true);
    sim::FailCall("IsWow64Process", ERROR_ACCESS_DENIED, 1);
    EXPECT_TRUE(WizardShows());
    EXPECT_TRUE(Started().empty());

    sim::FailCall("CreateProcessW", ERROR_ACCESS_DENIED, 1);
    SiblingRun run = RunSiblingUnderWow64(u"D:\\Setup\\", u"\"D:\\Setup\\KorvelSetup.exe\"");
    EXPECT_EQ(run.outcome, SiblingRun::kStartFailed);
    EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    sim::FailCall("CreateProcessW", ERROR_ACCESS_DENIED, 1);
    EXPECT_TRUE(WizardShows());

    // Arguments that make the sibling's command line longer than Windows takes.
    sim::SetCommandLine(u"KorvelSetup.exe /" + std::u16string(32740, u'x'));
    run = RunSiblingUnderWow64(u"D:\\Setup\\", nullptr);
    EXPECT_EQ(run.outcome, SiblingRun::kEnded);  // no arguments at all: it starts
    run = RunSiblingUnderWow64(u"D:\\Setup\\", ::GetCommandLineW());
    EXPECT_EQ(run.outcome, SiblingRun::kStartFailed);
    EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    // This program then reads the arguments itself: an unknown switch, told in a box.
    sim::ClearLog();
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitForBox(std::chrono::seconds(5)));
    EXPECT_EQ(Utf8(sim::ui::Take().boxes.at(0).text).rfind("unknown switch /xxx", 0), 0u);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 1639);
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(sim::OpenHandleCount("process"), 0u);
}

TEST_F(SiblingTest, UnattendedTheSiblingsExitCodeIsTheProgramsAndAFailedHandOverIsLogged)
{
    // The pair: the 32-bit program passes an unattended command line on as it stands
    // and ends with whatever the sibling ended with, showing nothing.
    AddSibling();
    sim::SetWow64(true);
    for (DWORD code : {0u, 3010u, 1603u, 1639u}) {
        sim::ClearLog();
        sim::SetCommandLine(u"\"D:\\Setup\\KorvelSetup.exe\" /quiet /model KX-2400 /log \"D:\\a b.log\"");
        sim::SetStartedProcessBehaviour({code, 20, false});
        StartWizard();
        ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
        EXPECT_EQ(sim::ui::ProgramExitCode(), static_cast<int>(code));
        EXPECT_EQ(Started(), std::vector<std::string>{StartedWith("\"D:\\Setup\\KorvelSetup64.exe\" /quiet /model "
                                                                  "KX-2400 /log \"D:\\a b.log\"")});
        EXPECT_TRUE(sim::WrittenFiles().empty()) << "the sibling keeps the log, not this program";
    }

    // The sibling does not start: this program goes on quietly itself, notes why in the
    // log and shows no box. (Its medium here holds no catalogue: a failed installation.)
    sim::FailCall("CreateProcessW", ERROR_ACCESS_DENIED, 1);
    sim::SetCommandLine(u"KorvelSetup.exe /quiet /model KX-2400 /log D:\\setup.log");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 1603);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    std::vector<sim::WrittenFile> files = sim::WrittenFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(files[0].bytes.find(" the sibling KorvelSetup64.exe could not be started: error 5 (ERROR_ACCESS_DENIED: "
                                  "Access is denied.); this program goes on itself\r\n"),
              std::string::npos);
}

TEST_F(SiblingTest, NoSetupDirectoryMeansNoSibling)
{
    // A program path without a directory leaves the setup directory empty; a file of
    // that name in the working directory must not be taken for the medium's.
    sim::SetWow64(true);
    EXPECT_EQ(RunSiblingUnderWow64(TEXT(""), TEXT("x")).outcome, SiblingRun::kNotNeeded);
    EXPECT_EQ(RunSiblingUnderWow64(nullptr, TEXT("x")).outcome, SiblingRun::kNotNeeded);
    EXPECT_TRUE(Started().empty());
}

}  // namespace

// Start-up on 64-bit Windows: the 32-bit program hands over to the x86-64 program
// beside it on the setup medium, before anything is shown.
#include <filesystem>
#include <fstream>

#include "app/Sibling.h"
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
    // Starts the program; true when the wizard showed, false when the program ended
    // without a window.
    bool WizardShows()
    {
        StartWizard();
        EXPECT_TRUE(Stable());
        if (!sim::ui::ProgramRunning()) return false;
        bool shown = sim::ui::Take().sheetOpen;
        EXPECT_TRUE(sim::ui::Press(sim::ui::Button::Cancel));
        EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
        return shown;
    }

    std::filesystem::path root;
};

TEST_F(SiblingTest, UnderWow64TheSiblingIsStartedAndNothingIsShown)
{
    AddSibling();
    sim::SetWow64(true);
    EXPECT_FALSE(WizardShows());
    EXPECT_EQ(Started(), (std::vector<std::string>{"CreateProcessW \"D:\\Setup\\KorvelSetup64.exe\" command line "
                                                   "\"\"D:\\Setup\\KorvelSetup64.exe\"\" directory none"}));
    // The start-up went no further: no common controls, no sheet, no box.
    EXPECT_EQ(sim::LogLines().size(), 1u);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    EXPECT_EQ(sim::OpenHandleCount("process"), 0u);
    EXPECT_EQ(sim::OpenHandleCount("thread"), 0u);
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

TEST_F(SiblingTest, AFailedCheckOrStartLeavesTheWizardToRun)
{
    AddSibling();
    sim::SetWow64(true);
    sim::FailCall("IsWow64Process", ERROR_ACCESS_DENIED, 1);
    EXPECT_TRUE(WizardShows());
    EXPECT_TRUE(Started().empty());

    sim::FailCall("CreateProcessW", ERROR_ACCESS_DENIED, 1);
    EXPECT_TRUE(WizardShows());
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(sim::OpenHandleCount("process"), 0u);
}

TEST_F(SiblingTest, NoSetupDirectoryMeansNoSibling)
{
    // A program path without a directory leaves the setup directory empty; a file of
    // that name in the working directory must not be taken for the medium's.
    sim::SetWow64(true);
    EXPECT_FALSE(StartSiblingUnderWow64(TEXT("")));
    EXPECT_FALSE(StartSiblingUnderWow64(nullptr));
    EXPECT_TRUE(Started().empty());
}

}  // namespace

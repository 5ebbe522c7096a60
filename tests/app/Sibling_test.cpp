// Start-up: the program reads its arguments after its own path, however a launcher
// writes it, and on 64-bit Windows the 32-bit program hands over to the x86-64 program
// beside it on the setup medium, before anything is shown, and stands in for it: same
// arguments, same standard handles, ends when it ends, with its exit code; only a
// sibling with the digest built in runs.
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/ProgramArguments.h"
#include "app/Sha256.h"
#include "app/Sibling.h"
#include "platform/sim/control/process.h"
#include "tests/support/sim_fixture.h"
#include "tools/simulator/sibling_image.h"

namespace {

const char kSetupExe[] = "D:\\My Setup\\KorvelSetup.exe";
const char kSiblingExe[] = "\"D:\\My Setup\\KorvelSetup64.exe\"";

class SiblingTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        char pattern[] = "/tmp/korvel-sibling.XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::create_directories(root / "My Setup");
        std::ofstream(root / "My Setup" / "KorvelSetup.exe") << "MZ";
        sim::MapDrive('D', root.string());
        sim::SetModulePath(U16(kSetupExe));
    }
    void TearDown() override
    {
        SimTest::TearDown();
        std::filesystem::remove_all(root);
    }
    // The x86-64 program built beside this one (the build's digest), or another file.
    void AddSibling() { std::filesystem::copy_file(KORVEL_SIM_SIBLING_EXE, SiblingFile()); }
    void AddForeignSibling() { std::ofstream(SiblingFile()) << "MZ"; }
    std::filesystem::path SiblingFile() const { return root / "My Setup" / "KorvelSetup64.exe"; }

    static std::vector<std::string> Started()
    {
        std::vector<std::string> started;
        for (const std::string& line : sim::LogLines())
            if (line.rfind("CreateProcessW ", 0) == 0) started.push_back(line);
        return started;
    }
    // The sibling started with the caller's three standard handles, its file held.
    static std::string StartedWith(const std::string& commandLine)
    {
        return "CreateProcessW \"D:\\My Setup\\KorvelSetup64.exe\" command line \"" + commandLine +
               "\" directory none inheriting handles standard handles input,output,error (the file held against "
               "writes)";
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
    sim::SetCommandLine(u"\"D:\\My Setup\\KorvelSetup.exe\" /quiet /log \"C:\\a b.txt\"");
    sim::StartedProcessBehaviour running;
    running.endsNever = true;
    running.exitCode = 3010;
    sim::SetStartedProcessBehaviour(running);
    StartWizard();
    for (int i = 0; i < 500 && Started().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(Started(),
              std::vector<std::string>{StartedWith(std::string(kSiblingExe) + " /quiet /log \"C:\\a b.txt\"")});
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
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(SiblingTest, TheArgumentsFollowTheProgramsOwnPathHoweverALauncherWritesIt)
{
    // The sibling gets them as they stand; a launcher's unquoted path with a blank, in
    // any letter case, is the program's path, not an argument. Other first words are
    // split off by Windows' rule.
    AddSibling();
    sim::SetWow64(true);
    const struct {
        const char* commandLine;
        const char* passed;
    } table[] = {
        {"\"D:\\My Setup\\KorvelSetup.exe\"", ""},
        {"D:\\My Setup\\KorvelSetup.exe", ""},
        {"d:\\MY SETUP\\korvelsetup.EXE /q  x", " /q  x"},
        {"\"D:\\My Setup\\KorvelSetup.exe\"/q", "/q"},
        {"KorvelSetup\t\"a \\\"b\\\" c\" ", "\t\"a \\\"b\\\" c\" "},
        {"D:\\My Setup\\KorvelSetup.exe.bak /q", " Setup\\KorvelSetup.exe.bak /q"},
        {"\"D:\\My Setup\\KorvelSetup.exe /q", ""},  // no closing mark
        {"", ""},
    };
    DWORD exitCode = 0;
    for (const auto& row : table) {
        sim::ClearLog();
        sim::SetCommandLine(U16(row.commandLine));
        sim::SetStartedProcessBehaviour({++exitCode, 10, false});
        StartWizard();
        ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5))) << row.commandLine;
        EXPECT_EQ(sim::ui::ProgramExitCode(), static_cast<int>(exitCode));
        EXPECT_EQ(Started(), std::vector<std::string>{StartedWith(std::string(kSiblingExe) + row.passed)})
            << row.commandLine;
    }
    EXPECT_EQ(Utf8(program_arguments::After(u"\"D:\\My Setup\\KorvelSetup.exe\" /q", nullptr)), " /q");
    EXPECT_EQ(Utf8(program_arguments::After(nullptr, u"D:\\x.exe")), "");
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(SiblingTest, AStartWithoutArgumentsIsTheWizardHoweverALauncherWritesThePath)
{
    // CreateProcessW with the path and no command line passes the path unquoted.
    for (const char* commandLine :
         {"D:\\My Setup\\KorvelSetup.exe", "D:\\MY SETUP\\KORVELSETUP.EXE  ", "\"d:\\my setup\\KorvelSetup.exe\""}) {
        sim::SetCommandLine(U16(commandLine));
        EXPECT_TRUE(WizardShows()) << commandLine;
        EXPECT_TRUE(sim::ui::BoxHistory().empty()) << commandLine;
    }
}

TEST_F(SiblingTest, WithoutWow64OrWithoutASiblingTheWizardRunsAsBefore)
{
    // The x86-64 program itself, or the 32-bit one on 32-bit Windows.
    AddSibling();
    sim::SetWow64(false);
    EXPECT_TRUE(WizardShows());
    EXPECT_TRUE(Started().empty());

    // Under WOW64 with no sibling on the medium (a folder of that name is none).
    std::filesystem::remove(SiblingFile());
    std::filesystem::create_directories(SiblingFile());
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
    SiblingRun run = RunSiblingUnderWow64(u"D:\\My Setup\\", u"");
    EXPECT_EQ(run.outcome, SiblingRun::kStartFailed);
    EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    sim::FailCall("CreateProcessW", ERROR_ACCESS_DENIED, 1);
    EXPECT_TRUE(WizardShows());
    // Its file cannot be read: nothing is started.
    sim::FailCall("CreateFileW", ERROR_SHARING_VIOLATION, 1);
    run = RunSiblingUnderWow64(u"D:\\My Setup\\", u"");
    EXPECT_EQ(run.outcome, SiblingRun::kStartFailed);
    EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(Started().empty());

    // Arguments that make the sibling's command line longer than Windows takes.
    sim::SetCommandLine(u"KorvelSetup.exe /" + std::u16string(32740, u'x'));
    run = RunSiblingUnderWow64(u"D:\\My Setup\\", nullptr);
    EXPECT_EQ(run.outcome, SiblingRun::kEnded);  // no arguments at all: it starts
    run = RunSiblingUnderWow64(u"D:\\My Setup\\", program_arguments::OfThisProcess());
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
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(SiblingTest, OnlyTheSiblingBuiltBesideThisProgramRuns)
{
    // Another file under its name (a tampered medium) never runs with the setup's rights:
    // this program goes on itself, as on 32-bit Windows, and an unattended run says why.
    AddForeignSibling();
    sim::SetWow64(true);
    EXPECT_EQ(RunSiblingUnderWow64(u"D:\\My Setup\\", u"").outcome, SiblingRun::kNotOurs);
    EXPECT_TRUE(WizardShows());
    sim::SetCommandLine(u"KorvelSetup.exe /quiet /model KX-2400 /log D:\\setup.log");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_TRUE(Started().empty());
    std::vector<sim::WrittenFile> files = sim::WrittenFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(files[0].bytes.find(" the sibling KorvelSetup64.exe is not the program built with this one (its "
                                  "SHA-256 differs): this program goes on itself\r\n"),
              std::string::npos);
    EXPECT_EQ(sim::OpenHandleCount(), 0u);

    // The digest: FIPS 180-4's examples, one of them over two blocks, fed in pieces.
    auto hex = [](const std::string& text, size_t piece) {
        CSha256 sha;
        for (size_t i = 0; i < text.size(); i += piece) sha.Add(text.data() + i, std::min(piece, text.size() - i));
        unsigned char digest[CSha256::kDigestSize];
        sha.Finish(digest);
        std::string out;
        for (unsigned char b : digest) out += "0123456789abcdef"[b >> 4], out += "0123456789abcdef"[b & 15];
        return out;
    };
    EXPECT_EQ(hex("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    for (size_t piece : {1u, 7u, 64u})
        EXPECT_EQ(hex(twoBlocks, piece), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST_F(SiblingTest, AnExitThatCannotBeReadFailsTheRun)
{
    AddSibling();
    sim::SetWow64(true);
    for (const char* function : {"WaitForSingleObject", "GetExitCodeProcess"}) {
        sim::SetStartedProcessBehaviour({0, 10, false});
        sim::FailCall(function, ERROR_ACCESS_DENIED, 1);
        SiblingRun run = RunSiblingUnderWow64(u"D:\\My Setup\\", u" /list");
        EXPECT_EQ(run.outcome, SiblingRun::kEnded) << function;
        EXPECT_EQ(run.exitCode, kSiblingExitUnknown) << function;
        ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
    }
    EXPECT_EQ(kSiblingExitUnknown, 1603u);
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(SiblingTest, TheCallersStandardHandlesReachTheSiblingOnlyAsWindowsPassesThem)
{
    // The sibling as a program of its own: what it writes reaches the caller's streams
    // only through handles passed with STARTF_USESTDHANDLES, inheritable, inherited.
    AddSibling();
    sim::SetWow64(true);
    sim::SetProgramImage(u"D:\\My Setup\\KorvelSetup64.exe", [] {
        bool out = WriteStandardText(STD_OUTPUT_HANDLE, u"to standard output\n");
        bool err = WriteStandardText(STD_ERROR_HANDLE, u"to standard error\n");
        return static_cast<DWORD>(out && err ? 0 : 1);
    });
    SiblingRun run = RunSiblingUnderWow64(u"D:\\My Setup\\", u"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(sim::StdoutText(), "to standard output\n");
    EXPECT_EQ(sim::StderrText(), "to standard error\n");

    // Windows' rule for a GUI child: started without the flag it has no standard handles.
    auto start = [](DWORD flags, BOOL inherit) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = flags;
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION info = {};
        WCHAR line[] = u"\"D:\\My Setup\\KorvelSetup64.exe\"";
        EXPECT_TRUE(::CreateProcessW(u"D:\\My Setup\\KorvelSetup64.exe", line, nullptr, nullptr, inherit, 0, nullptr,
                                     nullptr, &startup, &info));
        DWORD code = 99;
        EXPECT_EQ(::WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
        EXPECT_TRUE(::GetExitCodeProcess(info.hProcess, &code));
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return code;
    };
    EXPECT_EQ(start(0, TRUE), 1u);
    // With the flag, handles the child cannot inherit are a fault of the starter.
    EXPECT_EQ(start(STARTF_USESTDHANDLES, FALSE), 1u);
    EXPECT_EQ(TakeViolations().size(), 2u);
    EXPECT_TRUE(::SetHandleInformation(::GetStdHandle(STD_OUTPUT_HANDLE), HANDLE_FLAG_INHERIT, 0));
    EXPECT_EQ(start(STARTF_USESTDHANDLES, TRUE), 1u);
    EXPECT_EQ(TakeViolations().size(), 1u);
    EXPECT_EQ(sim::StdoutText(), "to standard output\n");
    EXPECT_EQ(sim::StderrText(), "to standard error\nto standard error\n");
}

TEST_F(SiblingTest, UnattendedTheSiblingsExitCodeIsTheProgramsAndAFailedHandOverIsLogged)
{
    // The pair: the 32-bit program passes an unattended command line on as it stands
    // and ends with whatever the sibling ended with, showing nothing.
    AddSibling();
    sim::SetWow64(true);
    for (DWORD code : {0u, 3010u, 1603u, 1639u}) {
        sim::ClearLog();
        sim::SetCommandLine(u"\"D:\\My Setup\\KorvelSetup.exe\" /quiet /model KX-2400 /log \"D:\\a b.log\"");
        sim::SetStartedProcessBehaviour({code, 20, false});
        StartWizard();
        ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
        EXPECT_EQ(sim::ui::ProgramExitCode(), static_cast<int>(code));
        EXPECT_EQ(Started(), std::vector<std::string>{StartedWith(std::string(kSiblingExe) +
                                                                  " /quiet /model KX-2400 /log \"D:\\a b.log\"")});
        EXPECT_TRUE(sim::WrittenFiles().empty()) << "the sibling keeps the log, not this program";
    }

    // The sibling does not start: this program goes on quietly itself, notes why in the
    // log and shows no box. (Its medium here holds no catalogue: a failed installation.)
    sim::FailCall("CreateProcessW", ERROR_ACCESS_DENIED, 1);
    sim::SetCommandLine(u"KorvelSetup.exe /quiet /model KX-2400 /log D:\\setup.log");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_NE(sim::ui::ProgramExitCode(), 0);
    EXPECT_TRUE(sim::ui::BoxHistory().empty());
    std::vector<sim::WrittenFile> files = sim::WrittenFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(files[0].bytes.find(" the sibling KorvelSetup64.exe could not be started: error 5 (ERROR_ACCESS_DENIED: "
                                  "Access is denied.); this program goes on itself\r\n"),
              std::string::npos);
}

TEST_F(SiblingTest, TheWholeHandOverRunsTheProgramAgainAsTheSibling)
{
    // As the simulator's wow64 statement runs it: /list through the hand-over reaches
    // the caller's standard output, and the sibling's exit code is the program's.
    std::filesystem::copy(KORVEL_SOURCE_DIR "/medium", root / "My Setup", std::filesystem::copy_options::recursive);
    AddSibling();
    sim::SetWow64(true);
    sim::SetProgramImage(u"D:\\My Setup\\KorvelSetup64.exe", simulator::RunProgramAsSibling);
    sim::SetCommandLine(u"D:\\My Setup\\KorvelSetup.exe /list");
    StartWizard();
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(10)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 0);
    EXPECT_EQ(sim::StdoutText().rfind("series\tmodel\tprinter name\ttype\n", 0), 0u);
    WCHAR path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(Utf8(path), kSetupExe);
    EXPECT_EQ(Utf8(g_Installer.SetupDir()), "D:\\My Setup\\");
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

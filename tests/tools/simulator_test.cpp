// korvel-sim as its users meet it: what it says about a wrong scenario file, command
// line or script line, and how an interactive session on a terminal behaves.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct SimRun {
    int status = -1;
    std::string out;  // standard output and error together
};

class Simulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/korvel-sim-test.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Runs korvel-sim with the arguments and the script on standard input.
    SimRun Run(const std::string& arguments, const std::string& script = "")
    {
        std::string command =
            std::string(KORVEL_SIM) + " " + arguments + " < " + Write("input.script", script) + " 2>&1";
        SimRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, n);
        int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    fs::path m_dir;
};

TEST_F(Simulator, ScenarioErrorsNameFileAndLineAndSayWhatIsWrongAndWhatIsExpected)
{
    const struct {
        const char* scenario;
        const char* message;  // after "FILE:"
    } cases[] = {
        {"# an office PC\nprinter Office Laser driver=D port=LPT1:\n",
         "2: error: printer takes 1 word before its options, but the line has 2 (\"Office\", \"Laser\"): a name with "
         "blanks needs quotation marks, as in \"Office Laser\" (expected: printer NAME driver=DRIVER port=PORT "
         "[jobs=N])\n"},
        {"time-scale 0\n",
         "1: error: \"0\": the time scale must be a number greater than 0 (0.05 runs twenty times faster) (expected: "
         "time-scale X)\n"},
        {"printer P driver=D port=LPT9:\n",
         "1: error: printer \"P\" is on port LPT9:, which the spooler does not have (its ports: LPT1:, LPT2:, LPT3:, "
         "COM1:, COM2:, COM3:, COM4:, FILE:) (expected: a port the spooler has, or add it with a line \"port "
         "LPT9:\")\n"},
        {"ports LPT1:\nprinter P driver=D port=LPT1:\ndefault \"Office Laser\"\n",
         "3: error: default \"Office Laser\" names no printer of the scenario (its printers: \"P\") (expected: default "
         "NAME, where a printer or connection statement adds NAME)\n"},
        {"printer A driver=D port=LPT1:\nprinter a driver=D port=LPT2:\n",
         "2: error: a printer \"A\" is there already (expected: one printer statement per name, without regard to "
         "letter case)\n"},
        {"\nprnter X\n", "2: error: unknown statement \"prnter\" (the statements: medium, program, code-page, "},
        {"printer \"X driver=D port=LPT1:\n", "1: error: a quotation mark is not closed"},
        {"printer X driver=D\n", "1: error: printer needs port= (expected: printer NAME "},
        {"printer X driver=D port=LPT1: colour=red\n",
         "1: error: printer has no option colour= (its options: driver=, port=, jobs=) (expected: "},
        {"printer X driver=D port=LPT1: jobs=many\n", "1: error: jobs=many is not a whole number (expected: "},
        {"printer X driver=D driver=E port=LPT1:\n", "1: error: driver= is given twice\n"},
        {"usb vid=1A2B\n", "1: error: usb needs model= or id= (expected: usb model=MODEL "},
        {"usb model=A\n\nusb model=B\n", "3: error: a second USB printer (line 1 has one): one USB printer per"},
        {"usb id=\"CMD:ESC/P;MDL:KX-2400;\"\n",
         "1: error: the device ID \"CMD:ESC/P;MDL:KX-2400;\" names no maker (MFG:) or no model (MDL:), so Windows "
         "forms no hardware ID for the printer: give one with hardware-id= ("},
        {"usb model=A answer=later\n",
         "1: error: answer=later is none of now, late:MS, never, fail and ignore-cancel[:MS] ("},
        {"rundll32 hang fail=5 slowly\n", "1: error: rundll32 takes 1 word before its options, but the line has 2"},
        {"fail EnumPortsW five\n", "1: error: \"five\" is not a whole number (expected: fail FUNCTION ERROR [TIMES])"},
        {"program KorvelSetup.exe\n", "1: error: the path \"KorvelSetup.exe\" does not begin with a drive letter"},
        {"medium no-such-folder\n", "1: error: the setup medium folder "},
        {"command-line /quiet /model KX-2400\n",
         "1: error: command-line takes 1 word before its options, but the "
         "line has 3 (\"/quiet\", \"/model\", \"KX-2400\"): a name with blanks "
         "needs quotation marks, as in \"/quiet /model KX-2400\""},
        {"clock 2023-02-29 08:00:00\n",
         "1: error: \"2023-02-29 08:00:00\" is not a date and time (expected: clock "
         "YYYY-MM-DD HH:MM:SS)\n"},
        {"clock 2024-05-01T08:00:00\n", "1: error: clock needs a date and a time (expected: clock YYYY-MM-DD"},
        {"driver-update reboot=maybe\n", "1: error: reboot=maybe is neither yes nor no (expected: driver-update "},
        {"driver-update\n", "1: error: driver-update needs fail= or reboot= (expected: driver-update "},
    };
    for (const auto& c : cases) {
        std::string path = Write("pc.scenario", c.scenario);
        SimRun run = Run(path, "next\n");
        EXPECT_EQ(run.status, 2) << c.scenario;
        EXPECT_EQ(run.out.rfind(path + ":" + c.message, 0), 0u) << c.scenario << "\n" << run.out;
    }
}

TEST_F(Simulator, ScenarioPortsAndDefaultPrinterMatchWithoutRegardToLetterCase)
{
    std::string path = Write("pc.scenario",
                             "time-scale 0.05\nprinter \"Office Laser\" driver=D port=lpt1:\n"
                             "connection \\\\SERVER\\Shared driver=D\ndefault \"office laser\"\n");
    SimRun run = Run(path, "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("printer \"Office Laser\" driver=\"D\" port=\"lpt1:\" default\n"), std::string::npos)
        << run.out;
}

TEST_F(Simulator, CommandLineTimeScaleIsCheckedAsTheScenariosIs)
{
    for (const char* bad : {"0", "-1", "abc", "0.05x", "inf"}) {
        SimRun run = Run(std::string("--time-scale ") + bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(
            run.out.rfind(
                std::string("korvel-sim: --time-scale ") + bad + ": the time scale must be a number greater than 0", 0),
            0u)
            << run.out;
    }
    SimRun missing = Run("--time-scale");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out.rfind("korvel-sim: --time-scale needs a value\nusage: ", 0), 0u) << missing.out;
    SimRun unknown = Run("--fast");
    EXPECT_EQ(unknown.out.rfind("korvel-sim: unknown option --fast\nusage: ", 0), 0u) << unknown.out;
    EXPECT_EQ(Run("--time-scale 0.05", "cancel\n").status, 0);
}

// Another medium on the demo PC, and a USB printer with the hardware ID Windows forms
// from its device ID: the driver update finds it only where the INF has that ID, and
// the transcript names the error when it does not.
TEST_F(Simulator, AnotherMediumAndTheHardwareIdWindowsForms)
{
    fs::copy(fs::path(KORVEL_SOURCE_DIR) / "medium", m_dir / "medium", fs::copy_options::recursive);
    const std::string scenario = Write("usb.scenario", "time-scale 0.05\nport USB001\nusb model=KX-2400\n");
    const std::string walk = "next\nnext\nnext\nfinish\nanswer ok\n";
    SimRun demo = Run(scenario + " --medium " + (m_dir / "medium").string(), walk);
    EXPECT_NE(demo.out.find("driver-update hwid=\"USBPRINT\\KORVELKX-24000913\" inf=\"D:\\PrinterDriver\\24pin\\"
                            "OEMPRINT.INF\" flags=1: ok\n"),
              std::string::npos)
        << demo.out;

    fs::path inf = m_dir / "medium/PrinterDriver/24pin/OEMPRINT.INF";
    std::ifstream in(inf, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at = text.find("KX-24000913"); at != std::string::npos; at = text.find("KX-24000913"))
        text.replace(at, 11, "KX-24008F1C");
    Write("medium/PrinterDriver/24pin/OEMPRINT.INF", text);
    SimRun wrong = Run(scenario + " --medium " + (m_dir / "medium").string(), walk);
    EXPECT_NE(wrong.out.find("driver-update hwid=\"USBPRINT\\KORVELKX-24008F1C\" inf=\"D:\\PrinterDriver\\24pin\\"
                             "OEMPRINT.INF\" flags=1: error 0xE000020B (ERROR_NO_SUCH_DEVINST)\n"),
              std::string::npos)
        << wrong.out;

    SimRun missing = Run("--medium " + (m_dir / "none").string());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out.rfind("korvel-sim: --medium " + (m_dir / "none").string() + ": no such folder\n", 0), 0u)
        << missing.out;
}

// What the strict machine finds fails the run: here a handle that stays open because
// its CloseHandle failed, reported when the program ends.
TEST_F(Simulator, AContractViolationIsPrintedAndFailsTheRun)
{
    const std::string walk = "next\nnext\nnext\nnext\nfinish\nanswer ok\n";
    SimRun clean = Run(Write("clean.scenario", "time-scale 0.05\n"), walk);
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out.find("violation:"), std::string::npos) << clean.out;

    SimRun leaking = Run(Write("leak.scenario", "time-scale 0.05\nfail CloseHandle 6 1\n"), walk);
    EXPECT_EQ(leaking.status, 3) << leaking.out;
    const std::string line = "\nviolation: CloseHandle: every handle is released before the program ends (handle=";
    size_t at = leaking.out.find(line);
    ASSERT_NE(at, std::string::npos) << leaking.out;
    EXPECT_GT(at, leaking.out.find("\nmachine:\n"));  // after the machine's state
}

TEST_F(Simulator, ScriptLinesThatAreNotActionsAreRefusedWithTheirFormAndFailTheRun)
{
    SimRun run = Run("--time-scale 0.05", "next please\nwait abc\nwait\nnext\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("> next please\nrefused: 'next' takes nothing after it (expected: next)\n"
                           "> wait abc\nrefused: 'wait' takes a number of milliseconds from 0 to 600000 (expected: "
                           "wait MS, e.g. wait 1000)\n"
                           "> wait\nrefused: 'wait' takes a number"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("> next\npage 2 "), std::string::npos) << "the script goes on\n" << run.out;
}

// korvel-sim on a pseudo-terminal of its own, as a person at a keyboard runs it.
class TerminalSession {
public:
    TerminalSession()
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) return;
        ::tcgetattr(m_slave, &m_before);
        const char* argv[] = {KORVEL_SIM, "--time-scale", "0.05", nullptr};
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setsid();
            ::ioctl(m_slave, TIOCSCTTY, 0);
            ::dup2(m_slave, 0);
            ::dup2(m_slave, 1);
            ::dup2(m_slave, 2);
            ::close(m_master);
            ::close(m_slave);
            ::execv(argv[0], const_cast<char* const*>(argv));
            ::_exit(127);
        }
    }
    ~TerminalSession()
    {
        if (m_pid > 0 && !m_ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_master >= 0) ::close(m_master);
        if (m_slave >= 0) ::close(m_slave);
    }
    bool Started() const { return m_pid > 0; }

    void Send(const std::string& keys) { ASSERT_EQ(::write(m_master, keys.data(), keys.size()), ssize_t(keys.size())); }

    // Waits until `text` follows what was expected last; the output is taken without
    // carriage returns and without the sequence that erases the prompt.
    bool Expect(const std::string& text)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (;;) {
            size_t at = m_out.find(text, m_mark);
            if (at != std::string::npos) {
                m_mark = at + text.size();
                return true;
            }
            if (std::chrono::steady_clock::now() > deadline) return false;
            ReadSome(100);
        }
    }
    // The rest of the line after what was expected last.
    std::string RestOfLine() const { return m_out.substr(m_mark, m_out.find('\n', m_mark) - m_mark); }
    const std::string& Output() const { return m_out; }

    // The simulator's end: its wait status, or -1 when it runs on after 30 s.
    int WaitEnd()
    {
        for (int i = 0; i < 300; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_ended = true;
                return status;
            }
            ReadSome(100);  // a program blocked on a full terminal would never end
        }
        return -1;
    }
    tcflag_t LocalModes() const
    {
        struct termios now = {};
        ::tcgetattr(m_slave, &now);
        return now.c_lflag;
    }
    tcflag_t LocalModesBefore() const { return m_before.c_lflag; }

private:
    void ReadSome(int ms)
    {
        struct pollfd p = {m_master, POLLIN, 0};
        if (::poll(&p, 1, ms) != 1) return;
        char chunk[4096];
        ssize_t n = ::read(m_master, chunk, sizeof chunk);
        for (ssize_t i = 0; i < n; ++i)
            if (chunk[i] != '\r') m_out += chunk[i];
        for (size_t e; (e = m_out.find("\033[K")) != std::string::npos;) m_out.erase(e, 3);
    }

    int m_master = -1, m_slave = -1;
    pid_t m_pid = -1;
    bool m_ended = false;
    struct termios m_before = {};
    std::string m_out;
    size_t m_mark = 0;
};

const char kPrompt[] = "key (? for help): ";

// The items of a transcript's list line: ["A", *"B"] gives A and B.
std::vector<std::string> QuotedItems(const std::string& line)
{
    std::vector<std::string> items;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '"') continue;
        std::string item;
        for (++i; i < line.size() && line[i] != '"'; ++i) item += line[i] == '\\' ? line[++i] : line[i];
        items.push_back(item);
    }
    return items;
}

TEST(SimulatorTerminal, KeysActAtOnceMistakesAreAnsweredAndQuittingGivesTheTerminalBack)
{
    TerminalSession t;
    ASSERT_TRUE(t.Started());
    ASSERT_TRUE(t.Expect(kPrompt)) << t.Output();
    EXPECT_EQ(t.LocalModes() & (ICANON | ECHO), 0u) << "raw while keys are read";

    t.Send("n");  // no Enter
    ASSERT_TRUE(t.Expect("> next\npage 2 ")) << t.Output();
    ASSERT_TRUE(t.Expect("1018 combo [")) << t.Output();
    std::vector<std::string> items = QuotedItems(t.RestOfLine());
    ASSERT_GE(items.size(), 2u) << "the demo medium has several series";
    std::string count = std::to_string(items.size());
    std::string range = "1 to " + count;

    ASSERT_TRUE(t.Expect(kPrompt));
    t.Send("s");
    ASSERT_TRUE(t.Expect("series number (" + range + "; Enter alone: none): ")) << t.Output();
    t.Send("99\n");
    EXPECT_TRUE(t.Expect("> s 99\nrefused: the series box has " + count + " items: type a number from " + range + "\n"))
        << t.Output();
    t.Send("s");
    ASSERT_TRUE(t.Expect("): "));
    t.Send("2\n");
    EXPECT_TRUE(t.Expect("> series " + items[1] + "\n")) << t.Output();

    t.Send("z");
    EXPECT_TRUE(t.Expect("unknown key 'z': press ? for the keys\n")) << t.Output();
    t.Send(":next please\n");
    EXPECT_TRUE(t.Expect("> next please\nrefused: 'next' takes nothing after it (expected: next)\n")) << t.Output();
    t.Send(":wait abc\n");
    EXPECT_TRUE(t.Expect("> wait abc\nrefused: 'wait' takes a number of milliseconds")) << t.Output();
    t.Send("?");
    EXPECT_TRUE(t.Expect("keys (each acts at once):\n")) << t.Output();

    ASSERT_TRUE(t.Expect(kPrompt));
    t.Send("q");
    EXPECT_TRUE(t.Expect("quit: closing the wizard, which was still open\n")) << t.Output();
    EXPECT_TRUE(t.Expect("program ended\nexit-code 0\nmachine:\n")) << t.Output();
    int status = t.WaitEnd();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "mistakes at the keyboard fail nothing: " << status;
    EXPECT_EQ(t.LocalModes(), t.LocalModesBefore());
}

TEST(SimulatorTerminal, CtrlCEndsTheSessionAndGivesTheTerminalBack)
{
    TerminalSession t;
    ASSERT_TRUE(t.Started());
    ASSERT_TRUE(t.Expect(kPrompt)) << t.Output();
    ASSERT_EQ(t.LocalModes() & ICANON, 0u);
    t.Send("\x03");
    int status = t.WaitEnd();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_EQ(t.LocalModes(), t.LocalModesBefore());
}

}  // namespace

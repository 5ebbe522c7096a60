// The program's command line: the switches in any letter case and with either mark,
// values after a blank (quoted when they hold blanks, split as Windows splits), and
// a clear fault for everything else.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "app/CommandLine.h"
#include "platform/shell.h"
#include "tests/support/sim_fixture.h"

namespace {

// The arguments after the program name, as the program gets them from the simulated
// machine's CommandLineToArgvW.
std::vector<WString> Split(const char* arguments)
{
    WString line = TEXT("\"D:\\KorvelSetup.exe\" ") + text::FromUtf8(arguments);
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<WString> out;
    for (int i = 1; argv && i < count; ++i) out.emplace_back(argv[i]);
    ::LocalFree(argv);
    return out;
}

cmdline::Options Parse(const char* arguments) { return cmdline::Parse(Split(arguments)); }

std::string Describe(const cmdline::Options& o)
{
    std::string s;
    if (o.quiet) s += "quiet ";
    if (o.list) s += "list ";
    if (o.usage) s += "usage ";
    if (o.noDefault) s += "nodefault ";
    if (o.testPage) s += "testpage ";
    if (o.repair) s += "repair ";
    if (o.uninstall) s += "uninstall ";
    if (o.noRestart) s += "norestart ";
    if (!o.model.empty()) s += "model=[" + text::ToUtf8(o.model) + "] ";
    if (!o.port.empty()) s += "port=[" + text::ToUtf8(o.port) + "] ";
    if (!o.logFile.empty()) s += "log=[" + text::ToUtf8(o.logFile) + "] ";
    if (!o.error.empty()) s += "error: " + text::ToUtf8(o.error);
    if (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

TEST(CommandLine, SwitchesAndValuesAsDeploymentToolsWriteThem)
{
    const struct {
        const char* arguments;
        const char* options;
    } table[] = {
        {"", ""},
        {"/quiet /model KX-2400 /port LPT1:", "quiet model=[KX-2400] port=[LPT1:]"},
        {"-Q -MODEL KX-2400", "quiet model=[KX-2400]"},
        {"/S /NoDefault /TestPage", "quiet nodefault testpage"},
        {"/q /log \"C:\\Program Data\\korvel setup.log\"", "quiet log=[C:\\Program Data\\korvel setup.log]"},
        {"/quiet /model \"KX 24 Wide\" /port \"\\\\server\\share\"",
         "quiet model=[KX 24 Wide] port=[\\\\server\\share]"},
        // A value ending in a backslash before its closing mark: Windows' rules, not a guess.
        {"/quiet /log \"C:\\logs\\\\\" /nodefault", "quiet nodefault log=[C:\\logs\\]"},
        {"/list", "list"},
        {"-?", "usage"},
        {"/? /quiet", "quiet usage"},
        {"/log korvel.log", "log=[korvel.log]"},  // the wizard with a log
        {"/list /model KX-2400", "quiet list model=[KX-2400]"},
        {"/quiet /quiet /q", "quiet"},             // flags may repeat
        {"/quiet /model /x", "quiet model=[/x]"},  // a value that is no known switch is a value
        // Every quiet switch of the common setup programs; /norestart alone changes nothing.
        {"/qn /silent -VERYSILENT /Passive", "quiet"},
        {"/norestart", "norestart"},
        {"/q /norestart /repair /model KX-2400", "quiet repair norestart model=[KX-2400]"},
        {"/uninstall /model KX-2400 /log u.log", "quiet uninstall model=[KX-2400] log=[u.log]"},
        // A switch of the installation makes the run quiet: nobody may be there to click.
        {"/model KX-2400", "quiet model=[KX-2400]"},
        {"/nodefault", "quiet nodefault"},
        {"/testpage /log a.log", "quiet testpage log=[a.log]"},
        {"/repair", "quiet repair"},
    };
    for (const auto& row : table) EXPECT_EQ(Describe(Parse(row.arguments)), row.options) << row.arguments;
}

TEST(CommandLine, FaultsSayWhatIsWrongAndReadingGoesOn)
{
    const struct {
        const char* arguments;
        const char* options;
    } table[] = {
        {"/quiet /modle KX-2400", "quiet error: unknown switch /modle"},
        {"/quiet /model:KX-2400", "quiet error: unknown switch /model:KX-2400"},
        {"--quiet", "error: unknown switch --quiet"},
        {"/quiet KX-2400", "quiet error: \"KX-2400\" is not a switch (a value with blanks goes in quotation marks)"},
        {"/quiet /model KX 2400",
         "quiet model=[KX] error: \"2400\" is not a switch (a value with blanks goes in "
         "quotation marks)"},
        {"/quiet /model", "quiet error: /model needs a value"},
        {"/quiet /model /port LPT1:", "quiet port=[LPT1:] error: /model needs a value"},
        {"/quiet /model \"\" /log x.log", "quiet log=[x.log] error: /model needs a value"},
        {"/log /quiet", "quiet error: /log needs a value"},
        {"/quiet /port LPT1: /Port LPT2:", "quiet port=[LPT2:] error: /Port is given twice"},
        {"/uninstall", "quiet uninstall error: /uninstall needs /model MODEL"},
        {"/uninstall /model KX-2400 /port LPT1:",
         "quiet uninstall model=[KX-2400] port=[LPT1:] error: /uninstall takes /model and /log, and no switch of "
         "the installation"},
        {"/q /uninstall /repair /model KX-2400",
         "quiet repair uninstall model=[KX-2400] error: /uninstall takes /model and /log, and no switch of the "
         "installation"},
        {"/ -", "error: unknown switch /"},
        // Only the first fault is told; /quiet and /log after it are still known.
        {"/bad /worse /quiet /log q.log", "quiet log=[q.log] error: unknown switch /bad"},
    };
    for (const auto& row : table) EXPECT_EQ(Describe(Parse(row.arguments)), row.options) << row.arguments;
}

TEST(CommandLine, TheDeploymentGuidesCommandsReadWithoutFault)
{
    // Each program start in a command block of the guide (and the README's example),
    // its arguments up to a redirection: what an administrator copies must be read
    // as meant. (tests/wine/deployment.sh runs them.)
    std::vector<std::string> starts;
    for (const char* file : {"/docs/deployment.md", "/README.md"}) {
        std::ifstream in(std::string(KORVEL_SOURCE_DIR) + file);
        bool inCommands = false;
        for (std::string line; std::getline(in, line);) {
            size_t fence = line.find("```");
            if (fence != std::string::npos) {
                inCommands = !inCommands && line.compare(fence, 6, "```bat") == 0;
                continue;
            }
            size_t exe = line.find("KorvelSetup.exe");
            if (!inCommands || exe == std::string::npos) continue;
            std::string arguments = line.substr(exe + std::strlen("KorvelSetup.exe"));
            if (!arguments.empty() && arguments[0] == '"') arguments.erase(0, 1);
            arguments = arguments.substr(0, arguments.find(" >"));
            starts.push_back(arguments);
        }
    }
    ASSERT_GE(starts.size(), 6u);
    for (const std::string& arguments : starts) {
        cmdline::Options o = Parse(arguments.c_str());
        EXPECT_EQ(Describe(o).find("error"), std::string::npos) << arguments << ": " << Describe(o);
        if (o.list) continue;
        EXPECT_TRUE(o.quiet) << arguments;
        EXPECT_EQ(text::ToUtf8(o.model), "KX-2410") << arguments;
        EXPECT_EQ(text::ToUtf8(o.port), o.uninstall ? "" : "LPT1:") << arguments;
    }
}

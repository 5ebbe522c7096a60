// The simulated shell must split command lines as Windows does, or a name that
// would break the real printer-UI command could pass here unnoticed.
#include <cstring>

#include "platform/shell.h"
#include "platform/sim/control_spooler.h"
#include "tests/unit/medium_fixture.h"

namespace {

std::vector<std::string> Split(const char16_t* line)
{
    int argc = -1;
    LPWSTR* argv = ::CommandLineToArgvW(line, &argc);
    std::vector<std::string> out;
    for (int i = 0; argv && i < argc; ++i) out.push_back(text::ToUtf8(argv[i], text::Length(argv[i])));
    EXPECT_EQ(argv[argc], nullptr);
    ::LocalFree(argv);
    return out;
}

using Args = std::vector<std::string>;

}  // namespace

class SimShell : public MediumTest {};

TEST_F(SimShell, CommandLinesSplitAsOnWindows)
{
    EXPECT_EQ(Split(u"x \"a b\"   c\t d "), (Args{"x", "a b", "c", "d"}));
    // 2n backslashes and a quotation mark: n backslashes, and the mark toggles quoting.
    EXPECT_EQ(Split(u"x a\\\\\\\\\"b c\" d"), (Args{"x", "a\\\\b c", "d"}));
    // 2n+1 backslashes and a quotation mark: n backslashes and a literal mark.
    EXPECT_EQ(Split(u"x a\\\\\\\"b c"), (Args{"x", "a\\\"b", "c"}));
    // Backslashes before anything else stand as they are.
    EXPECT_EQ(Split(u"x a\\\\\\b d\"e f\"g h"), (Args{"x", "a\\\\\\b", "de fg", "h"}));
    // Within quotes, "" gives a literal mark and ends the quoting; """ inside keeps it.
    EXPECT_EQ(Split(u"x \"a\"\"b c\""), (Args{"x", "a\"b", "c"}));
    EXPECT_EQ(Split(u"x \"a\"\"\"b c\""), (Args{"x", "a\"b c"}));
    EXPECT_EQ(Split(u"x \"\" b"), (Args{"x", "", "b"}));
    // The program name follows rules of its own.
    EXPECT_EQ(Split(u"\"C:\\a b\\\" y"), (Args{"C:\\a b\\", "y"}));
    EXPECT_EQ(Split(u"  a b"), (Args{"", "a", "b"}));
    sim::SetModulePath(u"C:\\Setup\\KorvelSetup.exe");
    EXPECT_EQ(Split(u""), Args{"C:\\Setup\\KorvelSetup.exe"});
}

TEST_F(SimShell, QuotedValuesThatWouldBreakThePrinterUiCommand)
{
    // A quotation mark in a name ends its quoted part early.
    EXPECT_EQ(Split(u"/if /n \"A\" /r \"FILE:\" /f \"x\""), (Args{"/if", "/n", "A", "/r", "FILE:", "/f", "x"}));
    EXPECT_EQ(Split(u"/n \"A\"B\" /f \"x\""), (Args{"/n", "AB /f x"}));
    // A path ending in a backslash turns \" into a mark and swallows the next switch.
    EXPECT_EQ(Split(u"/f \"D:\\dir\\\" /r \"LPT1:\" /m \"A\" "), (Args{"/f", "D:\\dir\" /r LPT1: /m A "}));
}

TEST_F(SimShell, Rundll32StartsOnlyAsAskedAndRunsThePrinterUiEntry)
{
    WriteFile("d.inf", "[M]\r\n\"KORVEL A\" = A.GPD,USBPRINT\\A,A\r\n");
    SHELLEXECUTEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    // Another program, or rundll32 anywhere but in the system folder, is not found.
    for (const char16_t* file : {u"notepad", u"D:\\Setup\\rundll32.exe", u"C:\\Windows\\rundll32.exe"}) {
        info.lpFile = file;
        EXPECT_FALSE(::ShellExecuteExW(&info));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    WCHAR system[MAX_PATH];
    EXPECT_EQ(::GetSystemDirectoryW(system, 19), 20u);  // too small: the size with its NUL
    EXPECT_EQ(::GetSystemDirectoryW(system, MAX_PATH), 19u);
    EXPECT_EQ(Utf8(system), "C:\\Windows\\system32");

    // Without SEE_MASK_NOCLOSEPROCESS there is no process handle to close.
    info.lpFile = u"C:\\Windows\\System32\\RUNDLL32.EXE";
    info.lpParameters =
        u"printui.dll,PrintUIEntry /if /b \"Korvel A\" /f \"D:\\Setup\\d.inf\" /r \"COM2:\" /m \"Korvel A\"";
    ASSERT_TRUE(::ShellExecuteExW(&info));
    EXPECT_EQ(info.hProcess, nullptr);
    ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
    ASSERT_EQ(sim::Printers().size(), 1u);
    EXPECT_EQ(Utf8(sim::Printers()[0].driver), "KORVEL A");

    // Entry names are exact; a port the spooler lacks fails the installation.
    info.lpParameters = u"PRINTUI.DLL,printuientry /k /n \"Korvel A\"";
    ASSERT_TRUE(::ShellExecuteExW(&info));
    info.lpParameters = u"PRINTUI.DLL,PrintUIEntry /if /n \"B\" /f \"D:\\Setup\\d.inf\" /r \"USB009\" /m \"Korvel A\"";
    ASSERT_TRUE(::ShellExecuteExW(&info));
    ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
    auto runs = sim::Rundll32Runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].exitCode, 0u);
    EXPECT_EQ(runs[1].exitCode, 127u);
    EXPECT_EQ(runs[2].exitCode, 1796u);
    EXPECT_EQ(sim::Printers()[0].jobs, 0);
    EXPECT_EQ(sim::Printers().size(), 1u);
}

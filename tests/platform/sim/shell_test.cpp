// The simulated rundll32 starts only as asked and runs the printer-UI entry on the
// simulated spooler; a bare program name is looked for as Windows looks for it. How
// command lines are split is checked on both sides in tests/contract/shell_test.cpp.
#include <cstring>
#include <filesystem>

#include "platform/shell.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "tests/support/medium_fixture.h"

class SimShell : public MediumTest {};

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
    EXPECT_EQ(runs[1].exitCode, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(runs[2].exitCode, static_cast<DWORD>(ERROR_UNKNOWN_PORT));
    EXPECT_EQ(sim::Printers()[0].jobs, 0);
    EXPECT_EQ(sim::Printers().size(), 1u);
}

TEST_F(SimShell, ABareProgramNameIsLookedForInTheWorkingFolderFirst)
{
    // The setup medium and another folder each hold a file named rundll32.exe.
    WriteFile("rundll32.exe", "MZ");
    WriteFile("Tools/rundll32.exe", "MZ");
    SHELLEXECUTEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.lpParameters = u"PRINTUI.DLL,PrintUIEntry /y /q /n \"A\"";
    struct Case {
        const char16_t* file;
        const char16_t* directory;  // lpDirectory
        const char16_t* current;    // the current folder; null: the program's own
        const char* runs;
    } cases[] = {
        // By its bare name: the working folder, then the program's folder (the medium),
        // then the system folder.
        {u"rundll32", nullptr, nullptr, "D:\\Setup\\rundll32.exe"},
        {u"rundll32", nullptr, u"D:\\Setup\\Tools", "D:\\Setup\\Tools\\rundll32.exe"},
        {u"RUNDLL32.EXE", u"D:\\Setup\\Tools", u"C:\\", "D:\\Setup\\Tools\\RUNDLL32.EXE"},
        {u"rundll32", nullptr, u"C:\\", "D:\\Setup\\rundll32.exe"},
        // By its full path: that program and no other.
        {u"C:\\Windows\\system32\\rundll32.exe", u"D:\\Setup\\Tools", nullptr, "C:\\Windows\\system32\\rundll32.exe"},
        {u"D:\\Setup\\Tools\\rundll32.exe", nullptr, nullptr, "D:\\Setup\\Tools\\rundll32.exe"},
    };
    for (const Case& c : cases) {
        sim::SetCurrentFolder(c.current ? c.current : u"");
        info.lpFile = c.file;
        info.lpDirectory = c.directory;
        ASSERT_TRUE(::ShellExecuteExW(&info)) << Utf8(c.file);
        ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
        EXPECT_EQ(Utf8(sim::Rundll32Runs().back().program), c.runs) << Utf8(c.file);
    }
    // Only the system's rundll32 ran the entry; the others did nothing.
    auto runs = sim::Rundll32Runs();
    EXPECT_TRUE(sim::DefaultPrinterName().empty());
    EXPECT_EQ(runs[4].exitCode, static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME)) << "no printer A to make the default";
    EXPECT_EQ(runs[0].exitCode, 0u);

    // Without a file of the name anywhere but the system folder, the system's runs.
    std::filesystem::remove(m_root / "Setup" / "rundll32.exe");
    sim::SetCurrentFolder(u"");
    info.lpFile = u"rundll32";
    info.lpDirectory = nullptr;
    ASSERT_TRUE(::ShellExecuteExW(&info));
    ASSERT_TRUE(sim::WaitForThreads(std::chrono::seconds(5)));
    EXPECT_EQ(Utf8(sim::Rundll32Runs().back().program), "C:\\Windows\\system32\\rundll32.exe");
}

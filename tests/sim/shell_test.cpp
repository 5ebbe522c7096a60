// The simulated rundll32 starts only as asked, from the system folder, and runs the
// printer-UI entry on the simulated spooler. How command lines are split is checked on both sides in
// tests/contract/shell_test.cpp.
#include <cstring>

#include "platform/shell.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "tests/unit/medium_fixture.h"

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

// Files the simulated machine holds in memory: those a test sets (sim::SetMemoryFile),
// which the profile readers and CreateFileW find, letter case ignored, until the
// machine is reset, and those the program writes, which never reach the host; the
// machine's clock and standard error.
#include <iterator>

#include "platform/sim/control/verifier.h"
#include "tests/support/medium_fixture.h"

class SimFiles : public MediumTest {};

TEST_F(SimFiles, MemoryFilesAreReadLikeFilesUntilTheMachineIsReset)
{
    sim::SetMemoryFile(u"Q:\\Medium\\PrinterInfor.Inf", "[PRINTER_NAME]\r\nM=Korvel M\r\n");
    sim::SetMemoryFile(u"q:\\medium\\oemprint.inf", "one\r\ntwo");
    WCHAR value[32];
    EXPECT_EQ(::GetPrivateProfileStringW(u"printer_name", u"m", nullptr, value, 32, u"q:\\MEDIUM\\printerinfor.inf"),
              8u);
    EXPECT_EQ(std::u16string(value), u"Korvel M");
    sim::SetMemoryFile(u"Q:\\Medium\\PrinterInfor.Inf", "[PRINTER_NAME]\r\nM=Korvel N\r\n");  // replaced
    ::GetPrivateProfileStringW(u"PRINTER_NAME", u"M", nullptr, value, 32, u"Q:\\Medium\\PrinterInfor.Inf");
    EXPECT_EQ(std::u16string(value), u"Korvel N");

    CStdioFile file;
    ASSERT_TRUE(file.Open(u"Q:\\Medium\\OEMPRINT.INF", CStdioFile::modeRead | CStdioFile::typeText));
    CString a, b, c;
    EXPECT_TRUE(file.ReadString(a));
    EXPECT_TRUE(file.ReadString(b));
    EXPECT_FALSE(file.ReadString(c));
    EXPECT_EQ(a.Str() + u"|" + b.Str(), u"one|two");
    file.Close();
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);

    sim::ResetMachine();
    EXPECT_EQ(::GetFileAttributesW(u"Q:\\Medium\\OEMPRINT.INF"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetPrivateProfileStringW(u"PRINTER_NAME", u"M", nullptr, value, 32, u"Q:\\Medium\\PrinterInfor.Inf"),
              0u);
}

TEST_F(SimFiles, WhatTheProgramWritesStaysInMemoryAndTheHostIsNeverWritten)
{
    WriteFile("setup.log", "on the host\r\n");
    HANDLE file = ::CreateFileW(u"D:\\Setup\\SETUP.LOG", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, "added\r\n", 7, &written, nullptr));
    EXPECT_EQ(written, 7u);
    // A synchronous write must have somewhere to put its count, as on Windows.
    EXPECT_FALSE(::WriteFile(file, "x", 1, nullptr, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    std::vector<sim::Violation> violations = sim::TakeViolations();
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].function, "WriteFile");
    EXPECT_TRUE(::CloseHandle(file));

    std::vector<sim::WrittenFile> files = sim::WrittenFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, u"D:\\Setup\\SETUP.LOG");
    EXPECT_EQ(files[0].bytes, "on the host\r\nadded\r\n");
    std::ifstream host(m_root / "Setup" / "setup.log", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(host), {}), "on the host\r\n");

    // CREATE_ALWAYS empties; a test's own memory files are not the program's writing.
    sim::SetMemoryFile(u"D:\\given.txt", "given");
    file = ::CreateFileW(u"d:\\setup\\setup.log", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(::WriteFile(file, "new", 3, &written, nullptr));
    EXPECT_TRUE(::CloseHandle(file));
    files = sim::WrittenFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].bytes, "new");
    EXPECT_EQ(::CreateFileW(u"Q:\\x.log", FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND)) << "no such drive";
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);
}

TEST_F(SimFiles, TheClockStandsStillWhenStoppedAndStandardErrorIsRecorded)
{
    sim::StopClock(2024, 2, 29, 23, 59, 58);
    SYSTEMTIME t = {};
    ::GetLocalTime(&t);
    EXPECT_EQ(t.wYear, 2024);
    EXPECT_EQ(t.wMonth, 2);
    EXPECT_EQ(t.wDay, 29);
    EXPECT_EQ(t.wDayOfWeek, 4) << "a Thursday";
    EXPECT_EQ(t.wHour * 10000 + t.wMinute * 100 + t.wSecond, 235958);
    EXPECT_EQ(t.wMilliseconds, 0);
    sim::StopClock(2000, 1, 1, 0, 0, 0);
    ::GetLocalTime(&t);
    EXPECT_EQ(t.wDayOfWeek, 6) << "a Saturday";

    EXPECT_TRUE(WriteStandardText(STD_ERROR_HANDLE, u"名称\n"));
    EXPECT_TRUE(WriteStandardText(STD_OUTPUT_HANDLE, u"out\n"));
    EXPECT_FALSE(WriteStandardText(0, u"nowhere"));
    EXPECT_EQ(sim::StderrText(), "名称\n");
    EXPECT_EQ(sim::StdoutText(), "out\n");
    sim::ResetMachine();
    EXPECT_EQ(sim::StderrText(), "");
    ::GetLocalTime(&t);
    EXPECT_GE(t.wYear, 2024) << "the host's clock again";
}

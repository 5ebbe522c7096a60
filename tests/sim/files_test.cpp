// Files the simulated machine holds in memory (sim::SetMemoryFile): the profile
// readers and CreateFileW find them, letter case ignored, until the machine is reset.
#include "tests/unit/medium_fixture.h"

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

// Reaching a medium from outside the program's folder: an installer pointed at another
// directory, and files the simulated machine holds in memory.
#include "tests/unit/medium_fixture.h"

class MediumAccess : public MediumTest {};

TEST_F(MediumAccess, AnInstallerPointedAtAnotherFolderReadsTheMediumThere)
{
    WriteFile("Other/PrinterInfor.Inf", "[PRINTER_NAME]\r\nM=Korvel M\r\n[PRINTER_TYPE]\r\nKorvel M=9\r\n");
    CPrinterInstaller installer;
    EXPECT_EQ(installer.SetSetupDir(u"D:\\Setup\\Other"), text::kOk);  // the backslash is added
    EXPECT_EQ(std::u16string(installer.InfoFile()), u"D:\\Setup\\Other\\PrinterInfor.Inf");
    EXPECT_EQ(installer.GetPrinterType(u"Korvel M"), 2);
    installer.SetPrinterName(u"Korvel M");
    EXPECT_EQ(installer.SetSetupDir(u"D:\\Setup\\Other\\"), text::kOk);
    EXPECT_EQ(std::u16string(installer.DriverInf()), u"D:\\Setup\\Other\\PrinterDriver\\9pin\\OEMPRINT.INF");

    // A directory that leaves no room for the medium's paths leaves them all empty.
    std::u16string deep = u"D:\\" + std::u16string(250, u'd');
    EXPECT_EQ(installer.SetSetupDir(deep.c_str()), text::kOk);
    EXPECT_EQ(std::u16string(installer.InfoFile()), u"");
    EXPECT_EQ(std::u16string(installer.DriverInf()), u"");
    EXPECT_NE(installer.SetSetupDir((deep + std::u16string(20, u'd')).c_str()), text::kOk);
    EXPECT_EQ(std::u16string(installer.SetupDir()), u"");
}

TEST_F(MediumAccess, MemoryFilesAreReadLikeFilesUntilTheMachineIsReset)
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

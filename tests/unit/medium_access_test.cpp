// Reaching a medium from outside the program's folder: an installer pointed at another
// directory.
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

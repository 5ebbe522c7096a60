// CPrinterInstaller's state: the setup medium's paths, the two INI readers, the keyed
// look-ups and the accessors.
#include "tests/support/medium_fixture.h"

class InstallerStateTest : public MediumTest {
protected:
    static constexpr const WCHAR* kCatalogue = TEXT("D:\\Setup\\PrinterInfor.Inf");
};

TEST_F(InstallerStateTest, SetupDirectoryIsTheProgramsFolderOrDriveRoot)
{
    sim::SetModulePath(u"C:\\Setup\\Install.exe");
    CPrinterInstaller inFolder;
    EXPECT_EQ(Utf8(inFolder.SetupDir()), "C:\\Setup\\");
    EXPECT_EQ(Utf8(inFolder.InfoFile()), "C:\\Setup\\PrinterInfor.Inf");
    EXPECT_EQ(Utf8(inFolder.DriverInf()), "C:\\Setup\\PrinterDriver\\");

    sim::SetModulePath(u"D:\\Install.exe");
    CPrinterInstaller inRoot;
    EXPECT_EQ(Utf8(inRoot.SetupDir()), "D:\\");
    EXPECT_EQ(Utf8(inRoot.InfoFile()), "D:\\PrinterInfor.Inf");
    EXPECT_EQ(Utf8(inRoot.DriverInf()), "D:\\PrinterDriver\\");
    EXPECT_EQ(Utf8(inRoot.PrinterName()), "");
    EXPECT_EQ(Utf8(inRoot.PortName()), "");
    EXPECT_EQ(inRoot.GetSetDefault(), 0);
    EXPECT_EQ(inRoot.GetPrintTestPage(), 0);
}

TEST_F(InstallerStateTest, PathsThatCannotBeBuiltWholeStayEmpty)
{
    // No program path, or one cut at 260 characters: no setup directory, and no bare
    // "PrinterInfor.Inf" that Windows would look for in its own directory.
    sim::FailCall("GetModuleFileNameW", ERROR_NOT_ENOUGH_MEMORY, 1);
    CPrinterInstaller noPath;
    sim::SetModulePath(u"D:\\" + std::u16string(300, u'x') + u"\\Setup.exe");
    CPrinterInstaller cutPath;
    for (const CPrinterInstaller* inst : {&noPath, &cutPath}) {
        EXPECT_EQ(Utf8(inst->SetupDir()), "");
        EXPECT_EQ(Utf8(inst->InfoFile()), "");
        EXPECT_EQ(Utf8(inst->DriverInf()), "");
    }

    // A setup directory of 241 characters: the catalogue path fits, the 24-pin INF path
    // (32 more) does not and is refused rather than cut.
    std::string folder(237, 'x');
    sim::SetModulePath(u"D:\\" + U16(folder.c_str()) + u"\\KorvelSetup.exe");
    std::filesystem::create_directories(m_root / folder);
    std::ofstream(m_root / folder / "PrinterInfor.Inf") << "[PRINTER_TYPE]\nP=24\n";
    CPrinterInstaller deep;
    EXPECT_EQ(text::Length(deep.InfoFile()), 257u);
    deep.SetPrinterName(TEXT("P"));
    deep.BuildDriverInfPath();
    EXPECT_EQ(Utf8(deep.DriverInf()), "");
}

TEST_F(InstallerStateTest, DriverInfFollowsTheCataloguedTypeExactly)
{
    WriteCatalogue("[PRINTER_TYPE]\nT24=24\nT9=9\nT09=09\nT24pin=24pin\nTpadded=  24  \nTlong=" + std::string(30, '9') +
                   "\n=24\n");
    const struct {
        const char16_t* name;
        int type;
        const char* path;
    } cases[] = {
        {u"T24", 1, "D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF"},
        {u"T9", 2, "D:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF"},
        {u"Tpadded", 1, "D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF"},  // the reader drops the blanks
        {u"T09", -1, "D:\\Setup\\PrinterDriver\\"},
        {u"T24pin", -1, "D:\\Setup\\PrinterDriver\\"},
        {u"Tlong", -1, "D:\\Setup\\PrinterDriver\\"},  // cut by the 20-character buffer
        {u"Tmissing", -1, "D:\\Setup\\PrinterDriver\\"},
        {u"", -1, "D:\\Setup\\PrinterDriver\\"},  // not the "=24" line
    };
    CPrinterInstaller inst;
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        EXPECT_EQ(inst.GetPrinterType(c.name), c.type);
        ASSERT_EQ(inst.SetPrinterName(c.name), 0);
        inst.BuildDriverInfPath();
        EXPECT_EQ(Utf8(inst.DriverInf()), c.path);
    }
}

TEST_F(InstallerStateTest, ReadValueRefusesWhatMayHaveBeenCut)
{
    WriteCatalogue("[S]\nv7=1234567\nv8=12345678\nv9=123456789\nv20=12345678901234567890\nempty=\n");
    CPrinterInstaller inst;
    const struct {
        const WCHAR* key;
        int accepted;
        const char* buffer;
    } cases[] = {
        {TEXT("v7"), 1, "1234567"},    {TEXT("v8"), 0, "12345678"},  // capacity - 2
        {TEXT("v9"), 0, "123456789"},  // capacity - 1: whole, but a cut value reads the same
        {TEXT("v20"), 0, "123456789"}, {TEXT("empty"), 0, ""},      {TEXT("absent"), 0, ""},
    };
    for (const auto& c : cases) {
        WCHAR buffer[10] = {u'#', 0};
        EXPECT_EQ(inst.ReadValue(TEXT("S"), c.key, kCatalogue, buffer, 10), c.accepted) << c.buffer;
        EXPECT_EQ(Utf8(buffer), c.buffer);
    }
}

TEST_F(InstallerStateTest, ReadSectionTreatsASectionThatFillsTheBufferAsAbsent)
{
    WriteCatalogue("[fits]\n" + std::string(2044, 'a') + "\n[full]\n" + std::string(2045, 'a') + "\n[over]\n" +
                   std::string(3000, 'a') + "\n");
    CPrinterInstaller inst;
    std::vector<WCHAR> buffer(2048);
    EXPECT_EQ(inst.ReadSection(TEXT("fits"), kCatalogue, buffer.data(), 2048), 2045);
    EXPECT_EQ(inst.ReadSection(TEXT("full"), kCatalogue, buffer.data(), 2048), 0);
    EXPECT_EQ(inst.ReadSection(TEXT("over"), kCatalogue, buffer.data(), 2048), 0);
    EXPECT_EQ(inst.ReadSection(TEXT("absent"), kCatalogue, buffer.data(), 2048), 0);
}

TEST_F(InstallerStateTest, PrinterDisplayNameComesFromThePrinterNameSection)
{
    WriteCatalogue("[PRINTER_NAME]\nKX-2400=Korvel KX-2400 Dot Matrix Printer\n=Nameless\n");
    CPrinterInstaller inst;
    WCHAR out[260] = {0};
    EXPECT_EQ(inst.GetPrinterDisplayName(TEXT("KX-2400"), out, 260), 1);
    EXPECT_EQ(Utf8(out), "Korvel KX-2400 Dot Matrix Printer");
    EXPECT_EQ(inst.GetPrinterDisplayName(TEXT("KX-9999"), out, 260), 0);
    EXPECT_EQ(Utf8(out), "");
    out[0] = u'#';
    EXPECT_EQ(inst.GetPrinterDisplayName(TEXT(""), out, 260), 0);
    EXPECT_EQ(Utf8(out), "");
}

TEST_F(InstallerStateTest, NamesAreStoredAndCopiedWholeOrNotAtAll)
{
    CPrinterInstaller inst;
    const std::u16string n99(99, u'n'), n100(100, u'n'), n199(199, u'n'), n200(200, u'n');
    WCHAR out[100];

    EXPECT_EQ(inst.SetPrinterName(n199.c_str()), 0);
    EXPECT_EQ(inst.PrinterName(), n199);
    out[0] = u'#';
    EXPECT_NE(inst.GetPrinterName(out, 100), 0);  // 199 characters do not fit 100
    EXPECT_EQ(out[0], 0);
    // A refused name leaves nothing behind, never the earlier printer's name.
    EXPECT_NE(inst.SetPrinterName(n200.c_str()), 0);
    EXPECT_EQ(Utf8(inst.PrinterName()), "");
    EXPECT_EQ(inst.SetPrinterName(n99.c_str()), 0);
    EXPECT_EQ(inst.GetPrinterName(out, 100), 0);
    EXPECT_EQ(std::u16string(out), n99);

    EXPECT_EQ(inst.SetPortName(TEXT("USB001")), 0);
    EXPECT_NE(inst.SetPortName(n200.c_str()), 0);
    EXPECT_EQ(Utf8(inst.PortName()), "");
    EXPECT_EQ(inst.SetPortName(n100.c_str()), 0);
    EXPECT_NE(inst.GetPortName(out, 100), 0);
    EXPECT_EQ(inst.SetPortName(TEXT("LPT1:")), 0);
    EXPECT_EQ(inst.GetPortName(out, 100), 0);
    EXPECT_EQ(Utf8(out), "LPT1:");
}

TEST_F(InstallerStateTest, FlagsAreSetOnlyByExactlyOne)
{
    CPrinterInstaller inst;
    for (int value : {1, 2, -1, 0, 1, 256}) {
        inst.SetSetDefault(value);
        inst.SetPrintTestPage(value);
        EXPECT_EQ(inst.GetSetDefault(), value == 1 ? 1 : 0) << value;
        EXPECT_EQ(inst.GetPrintTestPage(), value == 1 ? 1 : 0) << value;
    }
}

// Reaching a medium from outside the program's folder: an installer pointed at another
// directory.
TEST_F(InstallerStateTest, AnInstallerPointedAtAnotherFolderReadsTheMediumThere)
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

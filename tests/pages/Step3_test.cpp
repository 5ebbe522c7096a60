// The series and model page, driven as a user drives it.
#include "tests/support/demo_medium.h"
#include "tests/support/wizard_fixture.h"

using sim::ui::Button;

namespace {
const char kQuestion[] =
    "\n检测到您所使用的打印机驱动程序不在本安装程序内！\n单击确定选用其它驱动安装，单击取消退出安装程序！";
}  // namespace

class SeriesPageTest : public WizardTest {};

TEST_F(SeriesPageTest, ManualModeListsEverySeriesAndTheFirstSeriesModels)
{
    StartWizard();
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Utf8(s.title), "Korvel打印机驱动安装步骤2");
    EXPECT_EQ(Items(s, IDC_SERIES_COMBO), demo::Series());
    EXPECT_EQ(Selected(s, IDC_SERIES_COMBO), "KX Series");
    EXPECT_EQ(Items(s, IDC_MODEL_LIST), demo::Models("KX Series"));
    EXPECT_EQ(Selected(s, IDC_MODEL_LIST), "KX-2400");
    EXPECT_EQ(Text(s, IDC_SERIES_LABEL), "请选择打印机系列：");
    EXPECT_EQ(Text(s, IDC_MODEL_LABEL), "请选择要安装的打印机驱动：");
    // Reached from the welcome page: the buttons stay as that page left them.
    EXPECT_FALSE(s.back.enabled);
    EXPECT_TRUE(s.next.enabled);
    EXPECT_TRUE(s.boxes.empty());

    Choose(IDC_SERIES_COMBO, "KN Series");
    s = Now();
    EXPECT_EQ(Items(s, IDC_MODEL_LIST), demo::Models("KN Series"));
    EXPECT_EQ(Selected(s, IDC_MODEL_LIST), "KN-920");
    EXPECT_EQ(Text(s, IDC_SERIES_LABEL), "请选择打印机系列：");

    Choose(IDC_MODEL_LIST, "KN-950");
    Press(Button::Next);
    EXPECT_EQ(text::ToUtf8(g_Installer.PrinterName(), text::Length(g_Installer.PrinterName())),
              "Korvel KN-950 9-Pin Printer");
    CancelWizard();
}

TEST_F(SeriesPageTest, CataloguedPrinterIsPreselectedWithoutChoice)
{
    PlugPrinter("KN-935");
    StartWizard();
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Items(s, IDC_SERIES_COMBO), std::vector<std::string>{"KN Series"});
    EXPECT_EQ(Selected(s, IDC_SERIES_COMBO), "KN Series");
    EXPECT_EQ(Items(s, IDC_MODEL_LIST), std::vector<std::string>{"KN-935"});
    EXPECT_EQ(Selected(s, IDC_MODEL_LIST), "KN-935");
    EXPECT_EQ(Text(s, IDC_SERIES_LABEL), "您选择的打印机所属系列：");
    EXPECT_EQ(Text(s, IDC_MODEL_LABEL), "您所使用打印机的安装驱动：");
    EXPECT_TRUE(s.boxes.empty());
    Press(Button::Next);
    EXPECT_EQ(text::ToUtf8(g_Installer.PrinterName(), text::Length(g_Installer.PrinterName())),
              "Korvel KN-935 9-Pin Printer");
    EXPECT_EQ(sim::OpenHandleCount("device"), 0u);
    CancelWizard();
}

TEST_F(SeriesPageTest, UncataloguedPrinterAsksAndOkLeavesManualChoice)
{
    PlugPrinter("ZX-1");
    StartWizard();
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    ASSERT_EQ(s.boxes.size(), 1u);
    EXPECT_EQ(Utf8(s.boxes[0].text), kQuestion);
    EXPECT_EQ(Utf8(s.boxes[0].caption), "欢迎使用Korvel打印机");
    EXPECT_EQ(s.boxes[0].style, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_TRUE(s.boxes[0].hasOwner);
    // The question comes while the page is being activated: the sheet is disabled.
    EXPECT_FALSE(s.sheetEnabled);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    s = Now();
    EXPECT_TRUE(s.boxes.empty());
    EXPECT_EQ(s.pageTemplate, static_cast<UINT>(IDD_STEP3));
    EXPECT_EQ(Items(s, IDC_SERIES_COMBO), demo::Series());
    EXPECT_EQ(Selected(s, IDC_MODEL_LIST), "KX-2400");
    EXPECT_EQ(Text(s, IDC_SERIES_LABEL), "请选择打印机系列：");
    // Asked again on every visit.
    Press(Button::Next);
    Press(Button::Back);
    EXPECT_EQ(Now().boxes.size(), 1u);
    ASSERT_TRUE(sim::ui::AnswerBox(IDCANCEL));
    EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
}

TEST_F(SeriesPageTest, CataloguedPrinterPluggedInLaterIsNotCalledUnknown)
{
    StartWizard();
    Press(Button::Next);  // no printer: manual mode for the rest of the run
    Press(Button::Next);
    Press(Button::Back);
    PlugPrinter("KX-2410");
    Press(Button::Back);
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_TRUE(s.boxes.empty()) << "the catalogue knows KX-2410";
    EXPECT_EQ(Items(s, IDC_SERIES_COMBO), demo::Series());
    EXPECT_EQ(Text(s, IDC_SERIES_LABEL), "请选择打印机系列：");
    CancelWizard();
}

TEST_F(SeriesPageTest, UnpluggedPrinterFallsBackToItsOwnSeries)
{
    sim::PluggedUsbPrinter p = PlugPrinter("KX-2490");
    StartWizard();
    Press(Button::Next);
    EXPECT_EQ(Items(Now(), IDC_SERIES_COMBO), std::vector<std::string>{"KX Wide Series"});
    ASSERT_TRUE(sim::UnplugUsbPrinter(p.devicePath));
    Choose(IDC_SERIES_COMBO, "KX Wide Series");
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Items(s, IDC_SERIES_COMBO), std::vector<std::string>{"KX Wide Series"});
    EXPECT_EQ(Items(s, IDC_MODEL_LIST), (std::vector<std::string>{"KX-2480", "KX-2490"}));
    CancelWizard();
}

TEST_F(SeriesPageTest, EmptySeriesStoresNothingAndKeepsTheEarlierName)
{
    WriteCatalogue(
        "[PRINTER_SERIES]\r\nEmpty Series\r\nKX Series\r\n[KX Series]\r\nKX-2400\r\n[PRINTER_NAME]\r\n"
        "KX-2400=Korvel KX-2400 Dot Matrix Printer\r\n[PRINTER_TYPE]\r\nKorvel KX-2400 Dot Matrix Printer=24\r\n");
    StartWizard();
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Selected(s, IDC_SERIES_COMBO), "Empty Series");
    EXPECT_TRUE(Items(s, IDC_MODEL_LIST).empty());
    Choose(IDC_SERIES_COMBO, "KX Series");
    Press(Button::Next);
    Press(Button::Back);
    Choose(IDC_SERIES_COMBO, "Empty Series");
    Press(Button::Next);
    EXPECT_EQ(text::ToUtf8(g_Installer.PrinterName(), text::Length(g_Installer.PrinterName())),
              "Korvel KX-2400 Dot Matrix Printer");
    CancelWizard();
}

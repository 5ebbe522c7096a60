// The application frame: start-up order, the sheet in wizard mode, the page order
// and the templates as the resource script gives them.
#include "app/VolmiraApp.h"
#include "app/Wizard.h"
#include "pages/Step1.h"
#include "pages/Step3.h"
#include "platform/sim/state/templates.h"
#include "res/resource.h"
#include "tests/support/sim_fixture.h"

using sim::ui::Button;

class FrameTest : public SimTest {};

TEST_F(FrameTest, OpensOnTheWelcomePageWithoutHelpButton)
{
    StartWizard();
    ASSERT_TRUE(Stable());
    sim::ui::Snapshot s = sim::ui::Take();
    ASSERT_TRUE(s.sheetOpen);
    EXPECT_EQ(s.pageIndex, 0);
    EXPECT_EQ(s.pageTemplate, static_cast<UINT>(IDD_STEP1));
    EXPECT_EQ(Utf8(s.sheetCaption), "Korvel Printer Driver Setup");
    // Under a wizard the window title is the active page's caption.
    EXPECT_EQ(Utf8(s.title), "Korvel打印机驱动安装步骤1");
    EXPECT_TRUE(s.help.exists);
    EXPECT_FALSE(s.help.visible);
    EXPECT_TRUE(s.cancel.visible);
    EXPECT_TRUE(s.cancel.enabled);
    ASSERT_TRUE(sim::ui::Press(Button::Cancel));
    EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
}

TEST_F(FrameTest, PagesFollowInSheetOrderNotClassOrder)
{
    StartWizard();
    ASSERT_TRUE(Stable());
    const UINT expected[] = {IDD_STEP1, IDD_STEP3, IDD_STEP2, IDD_STEP5};
    const char* titles[] = {"Korvel打印机驱动安装步骤1", "Korvel打印机驱动安装步骤2", "Korvel打印机驱动安装步骤3",
                            "Korvel打印机驱动安装步骤4"};
    for (int i = 0; i < 4; ++i) {
        sim::ui::Snapshot s = sim::ui::Take();
        EXPECT_EQ(s.pageTemplate, expected[i]) << "page " << i;
        EXPECT_EQ(Utf8(s.title), titles[i]) << "page " << i;
        if (i < 3) {
            std::string why;
            if (!sim::ui::Press(Button::Next, &why)) {
                // The pages decide their buttons; until they exist every page keeps Next.
                FAIL() << "Next refused on page " << i << ": " << why;
            }
            ASSERT_TRUE(Stable());
        }
    }
    ASSERT_TRUE(sim::ui::Press(Button::Cancel));
    EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
}

TEST_F(FrameTest, InitInstanceRunsTheSheetAndReturnsFalseWhenItCloses)
{
    g_Installer = CPrinterInstaller();
    sim::ui::StartProgram([] { return theApp.InitInstance() ? 1 : 2; });
    ASSERT_TRUE(Stable());
    EXPECT_TRUE(sim::ui::Take().sheetOpen);
    ASSERT_TRUE(sim::ui::CloseSheet());
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    EXPECT_EQ(sim::ui::ProgramExitCode(), 2);
    EXPECT_FALSE(sim::ui::Take().sheetOpen);
    std::vector<std::string> log = sim::LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "InitCommonControlsEx(dwICC=0xff)");
    EXPECT_EQ(theApp.m_strRegistryKey, TEXT("Local AppWizard-Generated Applications"));
}

TEST_F(FrameTest, TemplatesCarryTheCaptionsFontAndSidePicture)
{
    const struct {
        UINT id;
        const char* caption;
    } pages[] = {{130, "Korvel打印机驱动安装步骤1"},
                 {133, "Korvel打印机驱动安装步骤2"},
                 {134, "Korvel打印机驱动安装步骤3"},
                 {131, "Korvel打印机驱动安装步骤4"}};
    for (const auto& p : pages) {
        const sim::DialogTemplate* t = sim::FindDialogTemplate(p.id);
        ASSERT_NE(t, nullptr) << p.id;
        EXPECT_EQ(Utf8(t->caption), p.caption);
        EXPECT_EQ(t->cx, 340);
        EXPECT_EQ(t->cy, 190);
        EXPECT_EQ(Utf8(t->fontName), "MS Shell Dlg");
        EXPECT_EQ(t->fontSize, 8);
        ASSERT_FALSE(t->controls.empty());
        const sim::ControlTemplate& picture = t->controls.front();
        EXPECT_EQ(picture.className, "Static");
        EXPECT_EQ(picture.id, -1);
        EXPECT_EQ(picture.imageId, 129);
        EXPECT_EQ(picture.x, 0);
        EXPECT_EQ(picture.y, 0);
        EXPECT_EQ(picture.cx, 152);
        EXPECT_EQ(picture.cy, 192);
        for (size_t i = 1; i < t->controls.size(); ++i) EXPECT_GE(t->controls[i].x, 170) << p.id;
    }
}

TEST_F(FrameTest, WizardAndWelcomePageKnowTheirClassNames)
{
    CWizard wizard(TEXT("Korvel Printer Driver Setup"));
    CStep1 welcome;
    CStep3 series;
    EXPECT_STREQ(wizard.GetRuntimeClass()->m_lpszClassName, "CWizard");
    EXPECT_TRUE(wizard.IsKindOf(RUNTIME_CLASS(CPropertySheet)));
    EXPECT_FALSE(wizard.IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    EXPECT_STREQ(welcome.GetRuntimeClass()->m_lpszClassName, "CStep1");
    EXPECT_TRUE(welcome.IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    // A page without its own information answers as its base.
    EXPECT_STREQ(series.GetRuntimeClass()->m_lpszClassName, "CPropertyPage");
}

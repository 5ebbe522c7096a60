// The welcome page, driven as a user drives it.
#include "tests/support/wizard_fixture.h"

using sim::ui::Button;

namespace {
const char kWelcomeManualEnd[] = "点击“下一步”按钮选择打印机系列。";
const char kWelcomeDetectedEnd[] = "点击“下一步”按钮继续安装。";

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

class WelcomePageTest : public WizardTest {};

TEST_F(WelcomePageTest, WithoutPrinterOffersTheSeriesAndOnlyNext)
{
    StartWizard();
    sim::ui::Snapshot s = Now();
    EXPECT_TRUE(EndsWith(Text(s, IDC_WELCOME_TEXT), kWelcomeManualEnd)) << Text(s, IDC_WELCOME_TEXT);
    EXPECT_TRUE(s.back.visible);
    EXPECT_FALSE(s.back.enabled);
    EXPECT_TRUE(s.next.enabled);
    EXPECT_FALSE(s.finish.visible);
    EXPECT_TRUE(s.cancel.enabled);
    CancelWizard();
}

TEST_F(WelcomePageTest, WithPrinterSaysContinueAndLeavesNoDeviceOpen)
{
    PlugPrinter("KX-2400");
    StartWizard();
    sim::ui::Snapshot s = Now();
    EXPECT_TRUE(EndsWith(Text(s, IDC_WELCOME_TEXT), kWelcomeDetectedEnd)) << Text(s, IDC_WELCOME_TEXT);
    EXPECT_EQ(sim::OpenHandleCount("device"), 0u);
    CancelWizard();
}

TEST_F(WelcomePageTest, TextIsChosenOnceWhenTheWizardOpens)
{
    StartWizard();
    ASSERT_TRUE(Stable());
    PlugPrinter("KX-2400");
    Press(Button::Next);
    EXPECT_EQ(Now().pageTemplate, static_cast<UINT>(IDD_STEP3));
    // From the welcome page the series page keeps Back off; the port page turns it on.
    EXPECT_FALSE(Now().back.enabled);
    Press(Button::Next);
    Press(Button::Back);
    EXPECT_TRUE(Now().back.enabled);
    Press(Button::Back);
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(s.pageTemplate, static_cast<UINT>(IDD_STEP1));
    EXPECT_TRUE(EndsWith(Text(s, IDC_WELCOME_TEXT), kWelcomeManualEnd));
    EXPECT_FALSE(s.back.enabled);
    CancelWizard();
}

// The port page: the detected USB port, or a choice among the spooler's ports.
#include "platform/sim/control/spooler.h"
#include "tests/support/wizard_fixture.h"

using sim::ui::Button;

namespace {
const char kManual[] = "没有检测到与打印机连接的可用USB口，请手动选择端口，并按“下一步”确认驱动安装信息。";
const char kDetectedUsb003[] = "软件自动检测到与打印机的USB连接\n端口：USB003\n\n请按“下一步”确认驱动安装信息。\n\n";
}  // namespace

class PortPageTest : public WizardTest {
protected:
    void ToPortPage()
    {
        StartWizard();
        Press(Button::Next);
        Press(Button::Next);
        ASSERT_EQ(Now().pageTemplate, static_cast<UINT>(IDD_STEP2));
    }
    static std::string StoredPort()
    {
        return text::ToUtf8(g_Installer.PortName(), text::Length(g_Installer.PortName()));
    }
};

TEST_F(PortPageTest, ManualChoiceAmongTheSpoolersPorts)
{
    ToPortPage();
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Utf8(s.title), "Korvel打印机驱动安装步骤3");
    EXPECT_EQ(Text(s, IDC_PORT_INFO), kManual);
    EXPECT_EQ(Items(s, IDC_PORT_LIST),
              (std::vector<std::string>{"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:", "FILE:"}));
    EXPECT_EQ(Selected(s, IDC_PORT_LIST), "LPT1:");
    EXPECT_TRUE(s.back.enabled);
    EXPECT_TRUE(s.next.enabled);
    Choose(IDC_PORT_LIST, "COM2:");
    Press(Button::Next);
    EXPECT_EQ(StoredPort(), "COM2:");
    // Coming back refills the list and selects LPT1: again.
    Press(Button::Back);
    EXPECT_EQ(Selected(Now(), IDC_PORT_LIST), "LPT1:");
    CancelWizard();
}

TEST_F(PortPageTest, CataloguedUsbPrinterGivesItsPortAndHidesTheList)
{
    sim::AddPort(u"USB003");
    PlugPrinter("KM-905", 3);
    ToPortPage();
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Text(s, IDC_PORT_INFO), kDetectedUsb003);
    ASSERT_NE(s.Control(IDC_PORT_LIST), nullptr);
    EXPECT_FALSE(s.Control(IDC_PORT_LIST)->visible);
    EXPECT_EQ(sim::OpenHandleCount("device"), 0u);
    Press(Button::Next);
    EXPECT_EQ(StoredPort(), "USB003");
    CancelWizard();
}

TEST_F(PortPageTest, UsbPortOfAnUnknownModelIsNotTaken)
{
    PlugPrinter("ZX-1", 2);
    StartWizard();
    Press(Button::Next);
    ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(Text(s, IDC_PORT_INFO), kManual);
    EXPECT_TRUE(s.Control(IDC_PORT_LIST)->visible);
    Press(Button::Next);
    EXPECT_EQ(StoredPort(), "LPT1:");
    CancelWizard();
}

TEST_F(PortPageTest, CataloguedPrinterWithoutLinkedInterfaceKeyIsManual)
{
    sim::TypicalUsbPrinter p;
    p.deviceId = "MFG:KORVEL;MDL:KX-2400;";
    p.linked = 0;
    sim::PlugInTypicalUsbPrinter(p);
    ToPortPage();
    EXPECT_EQ(Text(Now(), IDC_PORT_INFO), kManual);
    CancelWizard();
}

TEST_F(PortPageTest, UnpluggedBetweenVisitsShowsTheListAgain)
{
    sim::PluggedUsbPrinter p = PlugPrinter("KX-2400", 1);
    ToPortPage();
    EXPECT_FALSE(Now().Control(IDC_PORT_LIST)->visible);
    Press(Button::Back);
    ASSERT_TRUE(sim::UnplugUsbPrinter(p.devicePath));
    Press(Button::Next);
    sim::ui::Snapshot s = Now();
    EXPECT_TRUE(s.Control(IDC_PORT_LIST)->visible);
    EXPECT_EQ(Text(s, IDC_PORT_INFO), kManual);
    CancelWizard();
}

TEST_F(PortPageTest, WithoutAnLpt1PortTheFirstIsSelected)
{
    sim::SetPorts({u"COM1:", u"FILE:", u"LPT10:"});
    ToPortPage();
    EXPECT_EQ(Selected(Now(), IDC_PORT_LIST), "COM1:");
    CancelWizard();
}

TEST_F(PortPageTest, PortsThatCannotBeListedGiveTheNineFixedNames)
{
    sim::FailCall("EnumPortsW", ERROR_ACCESS_DENIED);
    ToPortPage();
    sim::ui::Snapshot s = Now();
    EXPECT_EQ(
        Items(s, IDC_PORT_LIST),
        (std::vector<std::string>{"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:", "COM5:", "USB001"}));
    EXPECT_EQ(Selected(s, IDC_PORT_LIST), "LPT1:");
    CancelWizard();
}

TEST_F(PortPageTest, NoPortsLeaveTheEarlierChoiceStored)
{
    ToPortPage();
    Choose(IDC_PORT_LIST, "LPT2:");
    Press(Button::Next);
    sim::SetPorts({});
    Press(Button::Back);
    sim::ui::Snapshot s = Now();
    EXPECT_TRUE(Items(s, IDC_PORT_LIST).empty());
    EXPECT_EQ(Selected(s, IDC_PORT_LIST), "<none>");
    Press(Button::Next);
    EXPECT_EQ(StoredPort(), "LPT2:");
    CancelWizard();
}

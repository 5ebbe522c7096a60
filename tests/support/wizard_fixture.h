// Test fixture for the whole wizard: the demo setup medium copied to D:\Setup\,
// the program started on its own user-interface thread, and helpers to act as the
// user and to plug a USB printer in.
#pragma once

#include <filesystem>

#include "platform/sim/control/devices.h"
#include "res/resource.h"
#include "tests/support/medium_fixture.h"

class WizardTest : public MediumTest {
protected:
    void SetUp() override
    {
        MediumTest::SetUp();
        std::filesystem::copy(
            std::filesystem::path(KORVEL_SOURCE_DIR) / "medium", m_root / "Setup",
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    }

    // A USB printer reporting the model, with its port number.
    static sim::PluggedUsbPrinter PlugPrinter(const std::string& model, DWORD portNumber = 1)
    {
        sim::TypicalUsbPrinter p;
        p.deviceId = "MFG:KORVEL;CMD:ESC/P;MDL:" + model + ";CLS:PRINTER;";
        p.portNumber = portNumber;
        return sim::PlugInTypicalUsbPrinter(p);
    }

    // Whether the snapshot shows exactly one box, with this caption and text (and style,
    // unless 0); the failure says what it shows instead.
    static ::testing::AssertionResult OneBox(const sim::ui::Snapshot& s, const char* caption, const char* text,
                                             UINT style = 0)
    {
        if (s.boxes.size() != 1) return ::testing::AssertionFailure() << s.boxes.size() << " boxes";
        std::string c = text::ToUtf8(s.boxes[0].caption), t = text::ToUtf8(s.boxes[0].text);
        if (c != caption || t != text || (style && s.boxes[0].style != style))
            return ::testing::AssertionFailure() << "box \"" << c << "\" \"" << t << "\" style " << s.boxes[0].style;
        return ::testing::AssertionSuccess();
    }
    // The finish page's two outcome boxes, pinned here once.
    static constexpr const char* kSuccessText = "打印机驱动安装成功！";
    static constexpr const char* kFailureText = "打印机驱动安装失败！";
    // Finish pressed, and the one box it brings, with this caption and text, closed with OK.
    static ::testing::AssertionResult FinishAndAnswer(const char* caption, const char* text)
    {
        Press(sim::ui::Button::Finish);
        ::testing::AssertionResult box = OneBox(Now(), caption, text);
        if (box && !sim::ui::AnswerBox(IDOK)) return ::testing::AssertionFailure() << "the box took no OK";
        return box;
    }
    // The installation succeeds: its box, and then the program's end.
    static ::testing::AssertionResult FinishSucceeds()
    {
        ::testing::AssertionResult answered = FinishAndAnswer("OK", kSuccessText);
        if (answered && !sim::ui::WaitProgramEnd(std::chrono::seconds(5)))
            return ::testing::AssertionFailure() << "the program did not end";
        return answered;
    }
    // The installation fails: its box; the page is then ready again.
    static ::testing::AssertionResult FinishFails() { return FinishAndAnswer("ERROR", kFailureText); }
    // Starts the wizard and goes to its finish page with this series and model, on the
    // port page's choice.
    static void WalkToFinishPage(const char* series, const char* model)
    {
        StartWizard();
        Press(sim::ui::Button::Next);
        Choose(IDC_SERIES_COMBO, series);
        Choose(IDC_MODEL_LIST, model);
        Press(sim::ui::Button::Next);
        Press(sim::ui::Button::Next);
    }
    static sim::ui::Snapshot Now()
    {
        EXPECT_TRUE(Stable());
        return sim::ui::Take();
    }

    static void Press(sim::ui::Button button)
    {
        ASSERT_TRUE(Stable());
        std::string why;
        ASSERT_TRUE(sim::ui::Press(button, &why)) << why;
        ASSERT_TRUE(Stable());
    }

    static void Choose(int control, const char* item)
    {
        ASSERT_TRUE(Stable());
        std::string why;
        ASSERT_TRUE(sim::ui::Choose(control, U16(item), &why)) << why;
        ASSERT_TRUE(Stable());
    }

    static std::string Text(const sim::ui::Snapshot& s, int control)
    {
        const sim::ui::ControlState* c = s.Control(control);
        return c ? Utf8(c->text) : "<no control>";
    }

    static std::vector<std::string> Items(const sim::ui::Snapshot& s, int control)
    {
        std::vector<std::string> out;
        if (const sim::ui::ControlState* c = s.Control(control))
            for (const auto& item : c->items) out.push_back(Utf8(item));
        return out;
    }

    static std::string Selected(const sim::ui::Snapshot& s, int control)
    {
        const sim::ui::ControlState* c = s.Control(control);
        if (!c || c->selection < 0) return "<none>";
        return Utf8(c->items[static_cast<size_t>(c->selection)]);
    }

    // Ends the program through the Cancel button and waits for it.
    static void CancelWizard()
    {
        Press(sim::ui::Button::Cancel);
        EXPECT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    }
};

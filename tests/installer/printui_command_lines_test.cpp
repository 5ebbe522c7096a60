// The printer-UI command lines: exact texts, every value one argument, and no value
// that could break out of its quotation marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/printui_command_lines.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace {

std::string Compose(bool ok, const WCHAR* out) { return ok ? text::ToUtf8(out, text::Length(out)) : "<refused>"; }

// The command as the printer-UI entry receives its arguments (CommandLineToArgvW, as
// Windows splits), the entry point first.
std::vector<std::u16string> Split(const WCHAR* command)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(command, &argc);
    std::vector<std::u16string> out(argv, argv + (argv ? argc : 0));
    ::LocalFree(argv);
    return out;
}

}  // namespace

TEST(PrintUiCommandLines, CommandTextsAreExact)
{
    WCHAR out[printui::kCommandCapacity];
    EXPECT_EQ(Compose(printui::ComposeInstallCommand(out, printui::kCommandCapacity, u"A",
                                                     u"D:\\PrinterDriver\\24pin\\OEMPRINT.INF", u"USB001"),
                      out),
              "PRINTUI.DLL,PrintUIEntry /if /n \"A\" /f \"D:\\PrinterDriver\\24pin\\OEMPRINT.INF\" /r \"USB001\" "
              "/m \"A\" ");
    EXPECT_EQ(Compose(printui::ComposeSetDefaultCommand(out, printui::kCommandCapacity, u"A"), out),
              "PRINTUI.DLL,PrintUIEntry /y /q /n \"A\"");
    EXPECT_EQ(Compose(printui::ComposeTestPageCommand(out, printui::kCommandCapacity, u""), out),
              "PRINTUI.DLL,PrintUIEntry /k /q /n \"\"");

    // The longest values the fields hold still fit.
    std::u16string name(199, u'N'), port(199, u'P'), inf(259, u'F');
    ASSERT_TRUE(
        printui::ComposeInstallCommand(out, printui::kCommandCapacity, name.c_str(), inf.c_str(), port.c_str()));
    EXPECT_EQ(text::Length(out), 909u);
}

TEST(PrintUiCommandLines, EveryValueArrivesWholeWhateverBackslashesItEndsWith)
{
    // Backslashes before a closing quotation mark are doubled, so that a port such as
    // C:\out\ or the bare driver folder stays one argument and the switches after it
    // survive.
    const std::u16string values[] = {u"",       u"A",    u"C:\\out\\", u"D:\\PrinterDriver\\", u"\\\\srv\\q\\\\",
                                     u"a\\b c", u" A\t", u"\\"};
    WCHAR out[printui::kCommandCapacity];
    for (const std::u16string& v : values) {
        SCOPED_TRACE(text::ToUtf8(v));
        ASSERT_TRUE(printui::ComposeInstallCommand(out, printui::kCommandCapacity, v.c_str(), v.c_str(), v.c_str()));
        EXPECT_EQ(Split(out), (std::vector<std::u16string>{u"PRINTUI.DLL,PrintUIEntry", u"/if", u"/n", v, u"/f", v,
                                                           u"/r", v, u"/m", v}));
        ASSERT_TRUE(printui::ComposeSetDefaultCommand(out, printui::kCommandCapacity, v.c_str()));
        EXPECT_EQ(Split(out), (std::vector<std::u16string>{u"PRINTUI.DLL,PrintUIEntry", u"/y", u"/q", u"/n", v}));
    }
    // Every value the fields hold fits, backslashes to the last character.
    std::u16string name(199, u'\\'), port(199, u'\\'), inf(259, u'\\');
    ASSERT_TRUE(
        printui::ComposeInstallCommand(out, printui::kCommandCapacity, name.c_str(), inf.c_str(), port.c_str()));
    EXPECT_EQ(Split(out)[3], name);
    EXPECT_EQ(Split(out)[5], inf);
    EXPECT_EQ(Split(out)[7], port);
}

TEST(PrintUiCommandLines, AQuotationMarkInAnyValueRefusesTheCommand)
{
    WCHAR out[printui::kCommandCapacity] = u"stale";
    EXPECT_EQ(Compose(printui::ComposeInstallCommand(out, printui::kCommandCapacity, u"A\" /r \"FILE:", u"D:\\x.inf",
                                                     u"LPT1:"),
                      out),
              "<refused>");
    EXPECT_EQ(out[0], 0);
    EXPECT_FALSE(printui::ComposeInstallCommand(out, printui::kCommandCapacity, u"A", u"D:\\x.inf", u"LPT1:\""));
    EXPECT_FALSE(printui::ComposeInstallCommand(out, printui::kCommandCapacity, u"A", u"D:\\\"x.inf", u"LPT1:"));
    EXPECT_FALSE(printui::ComposeSetDefaultCommand(out, printui::kCommandCapacity, u"\""));
    EXPECT_FALSE(printui::ComposeTestPageCommand(out, printui::kCommandCapacity, u"A\"B"));
}

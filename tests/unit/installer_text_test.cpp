// The installer's plain text rules: which printer names form a chosen name's family,
// the printer-UI command lines and the launcher's messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "installer/launcher_messages.h"
#include "installer/printer_family.h"
#include "installer/printui_command_lines.h"
#include "platform/error_names.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace {

std::u16string U(const char* s) { return text::FromUtf8(s); }
std::string Utf8(const char16_t* s) { return text::ToUtf8(s, text::Length(s)); }

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

TEST(InstallerText, TheFamilyIgnoresLetterCaseAndAnEmptyNameHasNone)
{
    // With an empty name the copy rule alone would take every printer whose second
    // character is an opening parenthesis.
    for (const char* printer : {"X(1)", "((", "", "A (Copy 1)"}) {
        EXPECT_FALSE(printer_family::IsSameName(U(printer).c_str(), u"")) << printer;
        EXPECT_FALSE(printer_family::IsCopyName(U(printer).c_str(), u"")) << printer;
    }
    EXPECT_TRUE(printer_family::IsCopyName(u"AB(2)", u"A"));  // index n is not examined
    EXPECT_FALSE(printer_family::IsCopyName(u"A (", u"A"));   // exactly n + 2 characters
    EXPECT_FALSE(printer_family::IsCopyName(u"A", u"A"));
    // Letter case is ignored as the spooler ignores it, beyond ASCII too; other
    // characters must match.
    for (const char* printer : {"KORVEL QX-110", "korvel qx-110", "Korvel QX-110"})
        EXPECT_TRUE(printer_family::IsSameName(U(printer).c_str(), u"Korvel QX-110")) << printer;
    EXPECT_TRUE(printer_family::IsSameName(u"ÄЖΣ", u"äжσ"));
    EXPECT_TRUE(printer_family::IsCopyName(u"KORVEL ÄЖ (Copy 1)", u"korvel äж"));
    EXPECT_FALSE(printer_family::IsSameName(u"Korvel QX-11O", u"Korvel QX-110"));
    EXPECT_FALSE(printer_family::IsCopyName(u"Korvel QX-11O (Copy 1)", u"Korvel QX-110"));
    // Windows' own table: Romanian, Greek with tonos, Ukrainian, Armenian and Vietnamese
    // letters fold; the dotless i is no I, the dotted capital I no i, and ß stays ß.
    for (const char16_t* pair : {u"șȘ", u"άΆ", u"ґҐ", u"աԱ", u"ạẠ", u"ÿŸ"})
        EXPECT_TRUE(printer_family::IsSameName(std::u16string(1, pair[0]).c_str(), std::u16string(1, pair[1]).c_str()))
            << Utf8(pair);
    EXPECT_FALSE(printer_family::IsSameName(u"Dot Matrıx Prınter", u"Dot Matrix Printer"));
    EXPECT_FALSE(printer_family::IsCopyName(u"DOT MATRİX PRİNTER (Copy 1)", u"Dot Matrix Printer"));
    EXPECT_FALSE(printer_family::IsSameName(u"Straße", u"STRASSE"));
    EXPECT_FALSE(printer_family::IsSameName(u"ß", u"ẞ"));
}

// The table is what the generator makes of the published table, byte for byte.
TEST(InstallerText, TheUpperCaseTableIsTheGeneratorsOutput)
{
    std::string generated = "/tmp/korvel-upcase-" + std::to_string(::getpid()) + ".cpp";
    std::string command = "python3 " KORVEL_SOURCE_DIR "/platform/upcase/generate.py " + generated;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream a(generated), b(KORVEL_SOURCE_DIR "/platform/upcase_table.cpp");
    std::stringstream ta, tb;
    ta << a.rdbuf();
    tb << b.rdbuf();
    std::remove(generated.c_str());
    EXPECT_EQ(ta.str(), tb.str()) << "run platform/upcase/generate.py";
    EXPECT_EQ(text::UpperCase(0x131), 0x131);
    EXPECT_EQ(text::UpperCase(0xFF), 0x178);
    EXPECT_EQ(text::UpperCase(0xFF5A), 0xFF3A);
}

TEST(InstallerText, CommandTextsAreExact)
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

TEST(InstallerText, EveryValueArrivesWholeWhateverBackslashesItEndsWith)
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

TEST(InstallerText, AQuotationMarkInAnyValueRefusesTheCommand)
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

TEST(InstallerText, LauncherMessageForEachLastError)
{
    const struct {
        DWORD code;
        const char* text;
    } table[] = {
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "Access to the specified file is denied."},
        {8, "There is not enough memory to perform the specified action."},
        {32, "A sharing violation occurred."},
        {1155, "There is no application associated with the given file name extension."},
        {1156, "The Dynamic Data Exchange (DDE) transaction failed."},
        {1157, "One of the library files necessary to run the application can't be found."},
        {1223, "The function prompted the user for additional information, but the user canceled the request."},
        {0, "Other error occurred."},
        {1, "Other error occurred."},
        {4, "Other error occurred."},
        {6, "Other error occurred."},
        {7, "Other error occurred."},
        {1224, "Other error occurred."},
        {0xFFFFFFFFu, "Other error occurred."},
    };
    for (const auto& row : table) {
        const WCHAR* m = launcher::ErrorMessage(row.code);
        EXPECT_EQ(text::ToUtf8(m, text::Length(m)), row.text) << row.code;
    }
}

TEST(InstallerText, ErrorCodesCarryTheirNames)
{
    auto name = [](DWORD code) {
        const WCHAR* n = text::ErrorName(code);
        return n ? text::ToUtf8(n, text::Length(n)) : std::string("<none>");
    };
    EXPECT_EQ(name(5), "ERROR_ACCESS_DENIED");
    EXPECT_EQ(name(3001), "ERROR_PRINTER_DRIVER_IN_USE");
    EXPECT_EQ(name(0xE000020Bu), "ERROR_NO_SUCH_DEVINST");
    EXPECT_EQ(name(1796), "ERROR_UNKNOWN_PORT");
    EXPECT_EQ(name(4), "ERROR_TOO_MANY_OPEN_FILES");
    EXPECT_EQ(name(12345), "<none>");
}

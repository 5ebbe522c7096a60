// The plain logic of the spooler operations: name families, command texts, the
// launcher's messages and the driver INF's model lines.
#include <gtest/gtest.h>

#include <string>

#include "installer/spooler.h"

namespace {

std::u16string U(const char* s) { return text::FromUtf8(s); }

std::string Compose(bool ok, const WCHAR* out) { return ok ? text::ToUtf8(out, text::Length(out)) : "<refused>"; }

struct Accepted {
    bool ok;
    std::string id;
};
Accepted Match(const std::string& line, const std::string& quoted)
{
    WString l = U(line.c_str());
    WString m = spooler::InfModelName(U(quoted.c_str()).c_str());
    WString id;
    bool ok = spooler::AcceptModelLine(l.c_str(), m.c_str(), static_cast<int>(m.size()), id);
    return {ok, text::ToUtf8(id)};
}

}  // namespace

TEST(SpoolerLogic, AnEmptyNameHasNoFamily)
{
    // With an empty name the copy rule alone would take every printer whose second
    // character is an opening parenthesis.
    for (const char* printer : {"X(1)", "((", "", "A (Copy 1)"}) {
        EXPECT_FALSE(spooler::IsSameName(U(printer).c_str(), u"")) << printer;
        EXPECT_FALSE(spooler::IsCopyName(U(printer).c_str(), u"")) << printer;
    }
    EXPECT_TRUE(spooler::IsCopyName(u"AB(2)", u"A"));  // index n is not examined
    EXPECT_FALSE(spooler::IsCopyName(u"A (", u"A"));   // exactly n + 2 characters
    EXPECT_FALSE(spooler::IsCopyName(u"A", u"A"));
    EXPECT_FALSE(spooler::IsSameName(u"a", u"A"));
}

TEST(SpoolerLogic, CommandTextsAreExact)
{
    WCHAR out[spooler::kCommandCapacity];
    EXPECT_EQ(Compose(spooler::ComposeInstallCommand(out, spooler::kCommandCapacity, u"A",
                                                     u"D:\\PrinterDriver\\24pin\\OEMPRINT.INF", u"USB001"),
                      out),
              "PRINTUI.DLL,PrintUIEntry /if /n \"A\" /f \"D:\\PrinterDriver\\24pin\\OEMPRINT.INF\" /r \"USB001\" "
              "/m \"A\" ");
    EXPECT_EQ(Compose(spooler::ComposeSetDefaultCommand(out, spooler::kCommandCapacity, u"A"), out),
              "PRINTUI.DLL,PrintUIEntry /y /q /n \"A\"");
    EXPECT_EQ(Compose(spooler::ComposeTestPageCommand(out, spooler::kCommandCapacity, u""), out),
              "PRINTUI.DLL,PrintUIEntry /k /q /n \"\"");

    // The longest values the fields hold still fit.
    std::u16string name(199, u'N'), port(199, u'P'), inf(259, u'F');
    ASSERT_TRUE(
        spooler::ComposeInstallCommand(out, spooler::kCommandCapacity, name.c_str(), inf.c_str(), port.c_str()));
    EXPECT_EQ(text::Length(out), 909u);
}

TEST(SpoolerLogic, AQuotationMarkInAnyValueRefusesTheCommand)
{
    WCHAR out[spooler::kCommandCapacity] = u"stale";
    EXPECT_EQ(Compose(spooler::ComposeInstallCommand(out, spooler::kCommandCapacity, u"A\" /r \"FILE:", u"D:\\x.inf",
                                                     u"LPT1:"),
                      out),
              "<refused>");
    EXPECT_EQ(out[0], 0);
    EXPECT_FALSE(spooler::ComposeInstallCommand(out, spooler::kCommandCapacity, u"A", u"D:\\x.inf", u"LPT1:\""));
    EXPECT_FALSE(spooler::ComposeInstallCommand(out, spooler::kCommandCapacity, u"A", u"D:\\\"x.inf", u"LPT1:"));
    EXPECT_FALSE(spooler::ComposeSetDefaultCommand(out, spooler::kCommandCapacity, u"\""));
    EXPECT_FALSE(spooler::ComposeTestPageCommand(out, spooler::kCommandCapacity, u"A\"B"));
}

TEST(SpoolerLogic, LauncherMessageForEachLastError)
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
        const WCHAR* m = spooler::LauncherMessage(row.code);
        EXPECT_EQ(text::ToUtf8(m, text::Length(m)), row.text) << row.code;
    }
}

TEST(SpoolerLogic, ModelLineMatchAndHardwareId)
{
    const std::string name = "\"Korvel XY-100\"";
    const struct {
        const char* line;
        bool ok;
        const char* id;
    } table[] = {
        // The INF writes the maker in capitals; the chosen name is matched that way only.
        {"\"KORVEL XY-100\" = XY100.GPD,USBPRINT\\KorvelXY-1009A3C,Korvel_XY-1009A3C", true,
         "USBPRINT\\KorvelXY-1009A3C"},
        {"\"Korvel XY-100\" = XY100.GPD,USBPRINT\\KorvelXY-1009A3C,X", false, ""},
        // The closing quotation mark is part of the match.
        {"\"KORVEL XY-1000\" = X.GPD,USBPRINT\\Other,X", false, ""},
        {" \"KORVEL XY-100\" = X.GPD,USBPRINT\\A,X", false, ""},
        // A blank after the first comma is the ID's first character.
        {"\"KORVEL XY-100\" = X.GPD, USBPRINT\\A,X", true, " USBPRINT\\A"},
        // USB only in the third field: accepted, and the ID is still the second field.
        {"\"KORVEL XY-100\" = X.GPD,LPTENUM\\A,USBPRINT\\A", true, "LPTENUM\\A"},
        {"\"KORVEL XY-100\" = X.GPD,LPTENUM\\A,LPTENUM\\B", false, ""},
        {"\"KORVEL XY-100\" = X.GPD,usbprint\\A,X", false, ""},  // USB in capitals only
        // Without a second comma the ID is empty; without any comma the line is not taken.
        {"\"KORVEL XY-100\" = X.GPD,USBPRINT\\A", true, ""},
        {"\"KORVEL XY-100\" = X.GPD USBPRINT\\A", false, ""},
        {"\"KORVEL XY-100", false, ""},
    };
    for (const auto& row : table) {
        Accepted a = Match(row.line, name);
        EXPECT_EQ(a.ok, row.ok) << row.line;
        EXPECT_EQ(a.id, row.id) << row.line;
    }
    EXPECT_EQ(text::ToUtf8(spooler::InfModelName(u"\"Korvel Korvel korvel\"")), "\"KORVEL KORVEL korvel\"");
}

TEST(SpoolerLogic, AnIdTooLongForTheBufferIsNotUsable)
{
    std::string head = "\"KORVEL XY-100\" = X.GPD,";
    Accepted fits = Match(head + "USB" + std::string(1020, 'x') + ",X", "\"Korvel XY-100\"");
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.id.size(), 1023u);
    EXPECT_FALSE(Match(head + "USB" + std::string(1021, 'x') + ",X", "\"Korvel XY-100\"").ok);
    // A long tail without a second comma leaves the ID empty, whatever its length.
    Accepted open = Match(head + "USB" + std::string(100000, 'x'), "\"Korvel XY-100\"");
    EXPECT_TRUE(open.ok);
    EXPECT_EQ(open.id, "");
}

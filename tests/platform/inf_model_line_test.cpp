// The driver INF's model lines, read two ways on purpose: the wizard's own match of
// the chosen printer's line (which finds the USB hardware ID) and the system's INF
// parsing, which the simulated machine and the Wine stand-in share.
#include <gtest/gtest.h>

#include <string>

#include "installer/inf_model_match.h"
#include "platform/inf_model_line.h"

namespace {

std::u16string U(const char* s) { return text::FromUtf8(s); }

struct Accepted {
    bool ok;
    std::string id;
};
Accepted Match(const std::string& line, const std::string& quoted)
{
    WString l = U(line.c_str());
    WString m = inf_model_match::MatchText(U(quoted.c_str()).c_str());
    WString id;
    bool ok = inf_model_match::Accept(l.c_str(), m.c_str(), static_cast<int>(m.size()), id);
    return {ok, text::ToUtf8(id)};
}

}  // namespace

TEST(InfModelLines, ModelLineMatchAndHardwareId)
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
    EXPECT_EQ(text::ToUtf8(inf_model_match::MatchText(u"\"Korvel Korvel korvel\"")), "\"KORVEL KORVEL korvel\"");
}

TEST(InfModelLines, AnIdTooLongForTheBufferIsNotUsable)
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

TEST(InfModelLines, TheSystemsReadingDropsBlanksAndNeedsOnlyNameAndEquals)
{
    const struct {
        const char* line;
        bool ok;
        const char* model;
        bool hasId;
        const char* id;
    } table[] = {
        {"\"KORVEL XY-100\" = XY100.GPD,USBPRINT\\KorvelXY-1009A3C,Korvel_XY", true, "KORVEL XY-100", true,
         "USBPRINT\\KorvelXY-1009A3C"},
        // Unlike the wizard's match: blanks before the name and around the ID go.
        {" \t\"Korvel A\"\t=\tS , USBPRINT\\A ,X", true, "Korvel A", true, "USBPRINT\\A"},
        {"\"A\"=S,USB\\A", true, "A", true, "USB\\A"},
        // The ID field is optional, and may be empty.
        {"\"A\" = S", true, "A", false, ""},
        {"\"A\" = S,", true, "A", true, ""},
        {"\"A\" = S,  ,USB\\B", true, "A", true, ""},
        // A comma inside the quoted name is part of the name, not a field separator.
        {"\"A, B\" = S,USB\\X", true, "A, B", true, "USB\\X"},
        // Not model lines.
        {"\"A\" S,USB\\A", false, "", false, ""},
        {"\"\" = S,USB\\A", false, "", false, ""},
        {"\"A = S,USB\\A", false, "", false, ""},
        {"A = S,USB\\A", false, "", false, ""},
        {"; \"A\" = S,USB\\A", false, "", false, ""},
        {"[Korvel.NTx86]", false, "", false, ""},
        {"", false, "", false, ""},
    };
    for (const auto& row : table) {
        inf::ModelLine parsed;
        ASSERT_EQ(inf::ParseModelLine(U(row.line), parsed), row.ok) << row.line;
        EXPECT_EQ(text::ToUtf8(parsed.model), row.model) << row.line;
        EXPECT_EQ(parsed.hasHardwareId, row.hasId) << row.line;
        EXPECT_EQ(text::ToUtf8(parsed.hardwareId), row.id) << row.line;
    }
}

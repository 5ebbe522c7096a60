// The INI scan that both the simulated profile functions and the medium checker read
// catalogues with: the lines it numbers, the parts it keeps, and the names it matches.
#include <gtest/gtest.h>

#include "platform/ini_scan.h"

namespace {

std::u16string Described(const std::vector<ini::Section>& sections)
{
    std::u16string out;
    for (const ini::Section& s : sections) {
        out += text::FromUtf8(std::to_string(s.line)) + u"[" + s.name + u"]";
        for (const ini::Entry& e : s.entries)
            out += u" " + text::FromUtf8(std::to_string(e.line)) + u":" + e.name + (e.hasValue ? u"=" + e.value : u"");
        out += u"\n";
    }
    return out;
}

}  // namespace

TEST(IniScan, LinesAreNumberedAcrossEveryLineEndAndOnlyMeaningfulLinesAreKept)
{
    std::u16string text =
        u"before=header\r\n"                     // 1: in no section
        u"[ First ] trailing\r"                  // 2
        u"\r\n"                                  // 3
        u"  ; a comment\n"                       // 4
        u"\t key \t=\t value ;not a comment \n"  // 5
        u"bare line\r\n"                         // 6
        u"[open bracket\n"                       // 7: no ']': an entry
        u"#=x\n"                                 // 8
        u"[]\n"                                  // 9: a section without a name
        u"a=b=c";                                // 10, no line end
    EXPECT_EQ(Described(ini::Scan(text)),
              u"2[First] 5:key=value ;not a comment 6:bare line 7:[open bracket 8:#=x\n"
              u"9[] 10:a=b=c\n");
    EXPECT_TRUE(ini::Scan(u"").empty());
    EXPECT_TRUE(ini::Scan(u"no=section\r\n\r\n").empty());
}

TEST(IniScan, NamesStopAtANulAndMatchWithoutRegardToLetterCase)
{
    using namespace std::string_literals;
    std::vector<ini::Section> sections =
        ini::Scan(u"[Серия]\nKey\0hidden=va\0lue\n[СЕРИЯ]\nkey=second\n[Ｋｏｒｖｅｌ]\nk=full-width\n"s);
    const ini::Section* first = ini::FindSection(sections, u"серия");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->line, 1) << "the first section of a name";
    const ini::Entry* key = ini::FindEntry(*first, u"KEY");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->name, u"Key");
    EXPECT_EQ(key->value, u"va");
    ASSERT_NE(ini::FindSection(sections, u"ｋｏｒｖｅｌ"), nullptr);
    EXPECT_EQ(ini::FindSection(sections, u"korvel"), nullptr) << "full-width letters are not ASCII ones";

    const char marked[] =
        "\xFF\xFE"
        "A\0=\0"
        "1";  // an odd last byte is dropped
    std::u16string decoded;
    ASSERT_TRUE(ini::DecodeMarkedUtf16(std::string(marked, sizeof marked - 1), &decoded));
    EXPECT_EQ(decoded, u"A=");
    EXPECT_FALSE(ini::DecodeMarkedUtf16("[A]", &decoded));
}

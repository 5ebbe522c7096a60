// Which printer names form a chosen name's family.
#include <gtest/gtest.h>

#include <string>

#include "installer/printer_family.h"
#include "platform/text.h"

namespace {
std::u16string U(const char* s) { return text::FromUtf8(s); }
std::string Utf8(const char16_t* s) { return text::ToUtf8(s, text::Length(s)); }
}  // namespace

TEST(PrinterFamily, TheFamilyIgnoresLetterCaseAndAnEmptyNameHasNone)
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

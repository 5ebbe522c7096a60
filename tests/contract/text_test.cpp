// Names compared without regard to letter case (text::EqualIgnoringCase): on Windows by
// the system's own rule, on the simulated machine by Windows' up-case table. Both must
// fold the same letters, and on Windows the road for XP (LCMapStringW) the same as the
// one for Vista and later (CompareStringOrdinal).
#include "tests/contract/fixture.h"

namespace {

class TextCase : public Contract {
protected:
    static bool Equal(const WString& a, const WString& b)
    {
        return text::EqualIgnoringCase(a.c_str(), a.size(), b.c_str(), b.size());
    }
    static bool EqualAsOnXp(const WString& a, const WString& b)
    {
        return a.size() == b.size() && contract::EqualUpperCasedAsOnXp(a.c_str(), b.c_str(), a.size());
    }
};

TEST_F(TextCase, LettersFoldAsWindowsFoldsThem)
{
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } table[] = {
        {"Dot Matrix Printer", "DOT MATRIX PRINTER", true},
        {"ș", "Ș", true},  // Romanian
        {"ά", "Ά", true},  // Greek with tonos
        {"ґ", "Ґ", true},  // Ukrainian
        {"ա", "Ա", true},  // Armenian
        {"ạ", "Ạ", true},  // Vietnamese
        {"ÿ", "Ÿ", true},
        {"ß", "ß", true},
        {"ß", "ẞ", false},                                    // ß has no capital in Windows' table
        {"Dot Matrıx Prınter", "Dot Matrix Printer", false},  // the dotless i is no I
        {"DOT MATRİX", "dot matrix", false},                  // the dotted capital I is no I
        {"Straße", "STRASSE", false},
        {"", "", true},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Equal(W(row.a), W(row.b)), row.equal) << row.a << " / " << row.b;
        if (contract::OnWine() && row.equal != EqualAsOnXp(W(row.a), W(row.b))) {
            contract::KnownWineDifference("LCMapStringW (LOCALE_INVARIANT, LCMAP_UPPERCASE) folds by Unicode's rule");
            continue;
        }
        EXPECT_EQ(EqualAsOnXp(W(row.a), W(row.b)), row.equal) << "the XP road: " << row.a << " / " << row.b;
    }
    // Longer than one piece of the XP road's buffers.
    WString longA(300, 'a'), longB(300, 'A');
    EXPECT_TRUE(Equal(longA, longB));
    EXPECT_TRUE(EqualAsOnXp(longA, longB));
    longB[299] = 'B';
    EXPECT_FALSE(Equal(longA, longB));
    EXPECT_FALSE(EqualAsOnXp(longA, longB));
}

}  // namespace

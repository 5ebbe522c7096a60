// The catalogue's list lookups: series, the models of a series and the series of a
// model, including catalogues that are damaged, huge or in other encodings.
#include <chrono>
#include <random>

#include "installer/catalogue.h"
#include "tests/support/medium_fixture.h"

using Strings = std::vector<std::string>;

class CatalogueTest : public MediumTest {
protected:
    static constexpr const char* kExample =
        "[PRINTER_SERIES]\n"
        "QX-100 Series\n"
        "QX-500 Series\n"
        "\n"
        "[QX-100 Series]\n"
        "QX-110\n"
        "QX-120\n"
        "\n"
        "[QX-500 Series]\n"
        "QX-520\n"
        "QX-120\n";

    Strings Series()
    {
        CPrinterInstaller inst;
        CStringList list;
        int found = inst.GetSeriesList(list);
        EXPECT_EQ(found, list.empty() ? 0 : 1);
        return Utf8(list);
    }

    Strings Models(const WCHAR* series)
    {
        CPrinterInstaller inst;
        CStringList list;
        int found = inst.GetSeriesModels(series, list);
        EXPECT_EQ(found, list.empty() ? 0 : 1);
        return Utf8(list);
    }

    // The series found for the model, or "unchanged" when the lookup failed.
    std::string SeriesOf(const WCHAR* model)
    {
        CPrinterInstaller inst;
        CString series(TEXT("unchanged"));
        int found = inst.FindSeriesOfModel(series, model);
        EXPECT_EQ(found == 0, series == TEXT("unchanged"));
        return text::ToUtf8(series.Str());
    }
};

TEST_F(CatalogueTest, ListsEntriesInFileOrderAndAppendsToTheCallersList)
{
    WriteCatalogue(kExample);
    EXPECT_EQ(Series(), (Strings{"QX-100 Series", "QX-500 Series"}));
    EXPECT_EQ(Models(TEXT("QX-100 Series")), (Strings{"QX-110", "QX-120"}));
    EXPECT_EQ(Models(TEXT("qx-500 series")), (Strings{"QX-520", "QX-120"}));

    CPrinterInstaller inst;
    CStringList list;
    list.push_back(TEXT("mine"));
    EXPECT_EQ(inst.GetSeriesList(list), 1);
    EXPECT_EQ(inst.GetSeriesList(list), 1);
    EXPECT_EQ(Utf8(list), (Strings{"mine", "QX-100 Series", "QX-500 Series", "QX-100 Series", "QX-500 Series"}));
}

TEST_F(CatalogueTest, FindsTheFirstSeriesListingTheModelExactly)
{
    WriteCatalogue(kExample);
    EXPECT_EQ(SeriesOf(TEXT("QX-520")), "QX-500 Series");
    EXPECT_EQ(SeriesOf(TEXT("QX-120")), "QX-100 Series");  // listed in both
    for (const WCHAR* model : {TEXT("qx-120"), TEXT("QX-120 "), TEXT(" QX-120"), TEXT("QX-12"), TEXT("")})
        EXPECT_EQ(SeriesOf(model), "unchanged");
}

TEST_F(CatalogueTest, SectionsAreListedAsTheReaderDeliversThem)
{
    WriteCatalogue(
        "[PRINTER_SERIES]\nGone\nOne\nPair\nEmpty\n"
        "[One]\nKX-2400\n"
        "[Pair]\nA=B\n  C = D  \n"
        "[Empty]\n"
        "\n; nothing but a comment\n");
    EXPECT_EQ(Models(TEXT("One")), (Strings{"KX-2400"}));
    EXPECT_EQ(Models(TEXT("Pair")), (Strings{"A=B", "C=D"}));
    EXPECT_EQ(Models(TEXT("Empty")), Strings{});
    EXPECT_EQ(Models(TEXT("Gone")), Strings{});
    // A line with '=' is one name, never its key alone; a missing series is skipped.
    EXPECT_EQ(SeriesOf(TEXT("A")), "unchanged");
    EXPECT_EQ(SeriesOf(TEXT("A=B")), "Pair");
    EXPECT_EQ(SeriesOf(TEXT("KX-2400")), "One");
}

TEST_F(CatalogueTest, OversizedSectionsAndLinesAreRefusedWhole)
{
    std::string big;
    for (int i = 0; i < 300; ++i) big += "KX-" + std::to_string(1000 + i) + "\n";  // 2400 characters
    WriteCatalogue("[PRINTER_SERIES]\nBig\nLong\nMax\nLast\n[Big]\n" + big + "[Long]\nShort\n" + std::string(256, 'L') +
                   "\n[Max]\n" + std::string(255, 'M') + "\n[Last]\nKX-1000\n");
    CPrinterInstaller inst;
    CStringList list;
    list.push_back(TEXT("kept"));
    EXPECT_EQ(inst.GetSeriesModels(TEXT("Big"), list), 0);
    EXPECT_EQ(inst.GetSeriesModels(TEXT("Long"), list), 0);  // not even "Short"
    EXPECT_EQ(Utf8(list), Strings{"kept"});
    EXPECT_EQ(Models(TEXT("Max")), Strings{std::string(255, 'M')});
    EXPECT_EQ(SeriesOf(TEXT("KX-1000")), "Last");
    EXPECT_EQ(SeriesOf(TEXT("Short")), "unchanged");
}

TEST_F(CatalogueTest, CatalogueInOtherEncodingsAndLineEnds)
{
    const std::string chinese = "针式打印机系列";
    WriteCatalogue(Utf16Le("[PRINTER_SERIES]\r\n" + chinese + "\r\n[" + chinese + "]\r\nKX-2400\r\n"));
    EXPECT_EQ(Series(), Strings{chinese});
    EXPECT_EQ(SeriesOf(TEXT("KX-2400")), chinese);

    const std::string gbk = "\xd5\xeb\xca\xbd\xb4\xf2\xd3\xa1\xbb\xfa\xcf\xb5\xc1\xd0";
    WriteCatalogue("[PRINTER_SERIES]\r\n" + gbk + "\r\n[" + gbk + "]\r\nKN-920\r\n");
    EXPECT_EQ(Series(), Strings{chinese});
    EXPECT_EQ(Models(U16(chinese.c_str()).c_str()), Strings{"KN-920"});
    EXPECT_EQ(SeriesOf(TEXT("KN-920")), chinese);
}

TEST_F(CatalogueTest, MissingOrDamagedCataloguesFailEveryLookupQuietly)
{
    EXPECT_EQ(Series(), Strings{});  // no catalogue at all
    EXPECT_EQ(SeriesOf(TEXT("KX-2400")), "unchanged");

    std::mt19937 random(7);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    for (const std::string& bytes : {garbage, "\xFF\xFE" + garbage}) {
        WriteCatalogue(bytes);
        Series();
        EXPECT_EQ(SeriesOf(TEXT("KX-2400")), "unchanged");
    }
}

TEST_F(CatalogueTest, HugeCataloguesAnswerQuicklyByTheSizeRules)
{
    // Several megabytes of filler, a line of 100,000 characters, a name value far beyond
    // any buffer, and 400 series (the most PRINTER_SERIES can hold) each read again.
    std::string series = "[PRINTER_SERIES]\n", sections;
    for (int i = 0; i < 400; ++i) {
        series += "S" + std::to_string(i) + "\n";
        sections += "[S" + std::to_string(i) + "]\nM" + std::to_string(i) + "\n";
    }
    std::string filler = "[Filler]\n";
    while (filler.size() < 4 * 1024 * 1024) filler += "some key=some value of a realistic length\n";
    WriteCatalogue(filler + series + sections + "[S7]\nduplicate\n[Wide]\n" + std::string(100000, 'w') +
                   "\n[PRINTER_NAME]\nM1=" + std::string(100000, 'n') + "\nM2=Korvel M2\n");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SeriesOf(TEXT("M399")), "S399");
    EXPECT_EQ(SeriesOf(TEXT("duplicate")), "unchanged");
    EXPECT_EQ(Models(TEXT("Wide")), Strings{});
    EXPECT_EQ(Models(TEXT("Filler")), Strings{});
    CPrinterInstaller inst;
    WCHAR name[260];
    EXPECT_EQ(inst.GetPrinterDisplayName(TEXT("M1"), name, 260), 0);
    EXPECT_EQ(inst.GetPrinterDisplayName(TEXT("M2"), name, 260), 1);
    // About a second in a plain build: the bound catches reading that grows with the
    // square of the file, and grows with the sanitizers' slowdown.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20 * KORVEL_TEST_TIME_FACTOR));
}

TEST(CatalogueSplitTest, EntriesEndAtEachNulWithinTheCount)
{
    CStringList list;
    const WCHAR buffer[] = u"a\0bc\0\0ignored";
    EXPECT_TRUE(catalogue::SplitEntries(buffer, 5, list));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.back(), TEXT("bc"));
    EXPECT_TRUE(catalogue::SplitEntries(buffer, 0, list));
    EXPECT_EQ(list.size(), 2u);
}

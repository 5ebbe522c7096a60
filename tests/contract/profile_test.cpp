// Profile (INI) reads, as the catalogue reader uses them: a section's lines with
// two-call-free sizing (the capacity - 2 answer), single values cut to fit, names
// matched without regard to case, blanks, comments, quotes and UTF-16 files.
#include "tests/contract/fixture.h"

namespace {

const char kCatalogue[] =
    "[PRINTER_SERIES]\r\n"
    "QX-100 Series\r\n"
    "QX-500 Series\r\n"
    "\r\n"
    "[QX-100 Series]\r\n"
    "QX-110\r\n"
    "   QX-120   \r\n"
    "; a comment line\r\n"
    "\r\n"
    "QX-130 = x\r\n"
    "[Empty]\r\n"
    "[PRINTER_NAME]\r\n"
    "QX-110 = QX-110 Printer\r\n"
    "Quoted=\"In quotes\"\r\n"
    "Long=0123456789ABCDEFGHIJ\r\n";

class Profile : public Contract {
protected:
    void SetUp() override
    {
        Contract::SetUp();
        contract::WriteTestFile(W("catalogue.ini"), kCatalogue);
        file = Path("catalogue.ini");
    }
    DWORD Section(const char* name, DWORD size)
    {
        buffer.assign(size + 8, 0x7777);
        return ::GetPrivateProfileSectionW(W(name).c_str(), buffer.data(), size, file.c_str());
    }
    DWORD Value(const char* section, const char* key, DWORD size, const WCHAR* fallback = nullptr)
    {
        buffer.assign(size + 8, 0x7777);
        return ::GetPrivateProfileStringW(W(section).c_str(), W(key).c_str(), fallback, buffer.data(), size,
                                          file.c_str());
    }
    std::string Text() const { return text::ToUtf8(buffer.data(), text::Length(buffer.data())); }
    // The first `count` characters of the buffer, each NUL shown as '|'.
    std::string Listing(size_t count) const
    {
        std::string out = text::ToUtf8(buffer.data(), count);
        for (char& c : out)
            if (c == 0) c = '|';
        return out;
    }
    void UseFile(const char* name, const std::string& bytes)
    {
        contract::WriteTestFile(W(name), bytes);
        file = Path(name);
    }

    WString file;
    std::vector<WCHAR> buffer;
};

TEST_F(Profile, SectionGivesItsLinesInFileOrderTrimmedWithoutCommentsOrBlankLines)
{
    ::SetLastError(12345);
    DWORD n = Section("QX-100 Series", 100);
    // "QX-110", "QX-120", "QX-130=x", each with its NUL; the final NUL is not counted.
    EXPECT_EQ(n, 7u + 7u + 9u);
    EXPECT_EQ(Lines(buffer.data(), n), (std::vector<std::string>{"QX-110", "QX-120", "QX-130=x"}));
    EXPECT_EQ(buffer[n], 0);
    EXPECT_EQ(buffer[n - 1], 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    EXPECT_EQ(Section("qx-100 SERIES", 100), n) << "section names match without regard to case";
}

TEST_F(Profile, SectionThatDoesNotFitAnswersCapacityMinusTwo)
{
    const DWORD whole = 7 + 7 + 9;
    EXPECT_EQ(Section("QX-100 Series", whole + 2), whole);
    // Room for the lines and the final NUL but not one place more still counts as
    // "did not fit" (Windows answers section names the same way).
    for (DWORD size : std::vector<DWORD>{whole + 1, whole, whole - 1, 10, 5, 3}) {
        DWORD n = Section("QX-100 Series", size);
        EXPECT_EQ(n, size - 2) << "size " << size;
        EXPECT_EQ(buffer[size - 2], 0) << "size " << size;
        EXPECT_EQ(buffer[size - 1], 0) << "size " << size;
        EXPECT_EQ(buffer[size], 0x7777) << "nothing written past the buffer, size " << size;
    }
    Section("QX-100 Series", 10);
    EXPECT_EQ(Lines(buffer.data(), 10).at(0), "QX-110") << "what fits comes first, in order";
}

TEST_F(Profile, EmptyOrMissingSectionsAndFilesGiveNothing)
{
    EXPECT_EQ(Section("Empty", 100), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(Section("No Such Section", 100), 0u);
    EXPECT_EQ(buffer[0], 0);
    WString missing = Path("missing.ini");
    buffer.assign(108, 0x7777);
    ::SetLastError(12345);
    EXPECT_EQ(::GetPrivateProfileSectionW(W("PRINTER_SERIES").c_str(), buffer.data(), 100, missing.c_str()), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Profile, ValueIsFoundWithoutRegardToCaseAndWithoutSurroundingBlanks)
{
    EXPECT_EQ(Value("PRINTER_NAME", "QX-110", 260), 14u);
    EXPECT_EQ(Text(), "QX-110 Printer");
    EXPECT_EQ(Value("printer_name", "qx-110", 260), 14u);
    EXPECT_EQ(Text(), "QX-110 Printer");
    EXPECT_EQ(Value("PRINTER_NAME", "Quoted", 260), 9u) << "matching quotation marks are dropped";
    EXPECT_EQ(Text(), "In quotes");
}

TEST_F(Profile, LongValueIsCutToCapacityMinusOne)
{
    EXPECT_EQ(Value("PRINTER_NAME", "Long", 21), 20u) << "exactly room for the NUL";
    EXPECT_EQ(Text(), "0123456789ABCDEFGHIJ");
    EXPECT_EQ(Value("PRINTER_NAME", "Long", 11), 10u);
    EXPECT_EQ(Text(), "0123456789");
    EXPECT_EQ(buffer[11], 0x7777);
    EXPECT_EQ(Value("PRINTER_NAME", "Long", 1), 0u);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(Profile, MissingKeySectionOrFileGivesTheDefaultOrEmpty)
{
    EXPECT_EQ(Value("PRINTER_NAME", "QX-999", 260), 0u);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(Value("NO_SECTION", "QX-110", 260), 0u);
    EXPECT_EQ(Text(), "");
    WString fallback = W("dflt  ");
    EXPECT_EQ(Value("PRINTER_NAME", "QX-999", 260, fallback.c_str()), 4u) << "trailing blanks of the default go";
    EXPECT_EQ(Text(), "dflt");

    WString missing = Path("missing.ini");
    buffer.assign(268, 0x7777);
    ::SetLastError(12345);
    EXPECT_EQ(::GetPrivateProfileStringW(W("PRINTER_NAME").c_str(), W("QX-110").c_str(), nullptr, buffer.data(), 260,
                                         missing.c_str()),
              0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Profile, Utf16FileWithByteOrderMarkIsReadAsUtf16)
{
    WString content = W("[系列]\r\n型号 A\r\n型号 B=值\r\n[名称]\r\n型号 A = 打印机 A\r\n");
    std::string bytes = "\xFF\xFE";
    for (WCHAR c : content) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    contract::WriteTestFile(W("utf16.ini"), bytes);
    file = Path("utf16.ini");
    DWORD n = Section("系列", 100);
    EXPECT_EQ(Lines(buffer.data(), n), (std::vector<std::string>{"型号 A", "型号 B=值"}));
    EXPECT_EQ(Value("名称", "型号 A", 100), 5u);
    EXPECT_EQ(Text(), "打印机 A");
}

TEST_F(Profile, LinesBeforeAnySectionCommentsAndLinesOfEveryShape)
{
    UseFile("shapes.ini",
            "top=before any section\n"
            "[ Models ]\n"
            "\n"
            "   KX-2400   \n"
            "; a comment line\n"
            "A = B\n"
            "\t\n"
            "=only a value\n"
            "#not a comment=x ;nor this\n"
            "[other]\n"
            "x=1\n");
    DWORD n = Section("MODELS", 200);
    EXPECT_EQ(Listing(n + 1), "KX-2400|A=B|=only a value|#not a comment=x ;nor this||");
    EXPECT_EQ(n, 53u) << "every line with its NUL, not the final NUL";
    EXPECT_EQ(Section("other", 200), 4u);
    EXPECT_EQ(Listing(5), "x=1||");
    // Lines before the first header belong to no section, not even the nameless one.
    n = Section("", 200);
    if (contract::OnWine()) {
        contract::KnownWineDifference("lines before the first section header form a section without a name");
        EXPECT_EQ(Listing(n + 1), "top=before any section||");
    } else {
        EXPECT_EQ(n, 0u);
        EXPECT_EQ(buffer[0], 0);
    }
}

TEST_F(Profile, SectionCutAsInTheDocumentedExample)
{
    UseFile("cut.ini", "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
    EXPECT_EQ(Section("s", 100), 35u);
    EXPECT_EQ(Listing(36), "name1=val1|name2=|name3|name4=val4||");
    // The last line that does not fit is cut, and two NULs end the buffer.
    EXPECT_EQ(Section("s", 24), 22u);
    EXPECT_EQ(Listing(24), "name1=val1|name2=|name||");
}

TEST_F(Profile, MissingFileLeavesAnEmptyListing)
{
    WString missing = Path("missing.ini");
    buffer.assign(18, 0x7777);
    EXPECT_EQ(::GetPrivateProfileSectionW(W("s").c_str(), buffer.data(), 10, missing.c_str()), 0u);
    EXPECT_EQ(Listing(2), "||") << "an empty list: two NULs";
}

TEST_F(Profile, FirstSectionAndFirstKeyOfANameWinQuotesAndBareLines)
{
    UseFile("names.ini",
            "[Names]\n"
            "  Korvel KX-2400  =  Korvel Printer  \n"
            "KORVEL KX-2400=second\n"
            "quoted=\"  in quotes  \"\n"
            "half=\"open\n"
            "bare\n"
            "empty=\n"
            "[NAMES]\n"
            "other=from the second section\n");
    EXPECT_EQ(Value("names", "korvel kx-2400", 100), 14u);
    EXPECT_EQ(Text(), "Korvel Printer");
    EXPECT_EQ(Value(" Names ", " Korvel KX-2400 ", 100), 14u) << "the names asked for are trimmed too";
    EXPECT_EQ(Value("Names", "quoted", 100), 13u);
    EXPECT_EQ(Text(), "  in quotes  ");
    EXPECT_EQ(Value("Names", "half", 100), 5u);
    EXPECT_EQ(Text(), "\"open");
    EXPECT_EQ(Value("Names", "other", 100), 0u) << "only the first [Names] counts";
    WString fallback = W("def  ");
    for (const char* key : {"bare", "absent"}) {
        EXPECT_EQ(Value("Names", key, 100), 0u) << key;
        EXPECT_EQ(Value("Names", key, 100, fallback.c_str()), 3u) << key;
        EXPECT_EQ(Text(), "def");
    }
    WString shortFallback = W("def");
    EXPECT_EQ(Value("Names", "empty", 100, shortFallback.c_str()), 0u) << "an empty value is a value";
}

TEST_F(Profile, ListingsOfKeysAndOfSectionsAreCutToFit)
{
    UseFile("lists.ini", "[section1]\nname1=val1\nname2=\"val2\"\nname3\nname4=a\n[section2]\n");
    WString fallback = W("d");
    buffer.assign(24, 0x7777);
    EXPECT_EQ(
        ::GetPrivateProfileStringW(W("section1").c_str(), nullptr, fallback.c_str(), buffer.data(), 16, file.c_str()),
        14u);
    EXPECT_EQ(Listing(16), "name1|name2|na||");
    buffer.assign(24, 0x7777);
    EXPECT_EQ(::GetPrivateProfileStringW(nullptr, W("x").c_str(), fallback.c_str(), buffer.data(), 16, file.c_str()),
              14u);
    EXPECT_EQ(Listing(16), "section1|secti||");
    WString none = W("none");
    buffer.assign(108, 0x7777);
    EXPECT_EQ(
        ::GetPrivateProfileStringW(W("section2").c_str(), nullptr, none.c_str(), buffer.data(), 100, file.c_str()), 4u)
        << "a section without keys gives the default";
    EXPECT_EQ(Text(), "none");
}

TEST_F(Profile, LinesEndAtCarriageReturnsAlone)
{
    UseFile("cr.ini", "[S]\rname=cr\r[T]\r\nname=crlf\r\n");
    EXPECT_EQ(Value("S", "name", 100), 2u);
    EXPECT_EQ(Text(), "cr");
    EXPECT_EQ(Section("T", 20), 10u);
    EXPECT_EQ(Listing(11), "name=crlf||");
}

}  // namespace

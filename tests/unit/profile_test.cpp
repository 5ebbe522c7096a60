// The simulated profile reader: the counts and cuts of the two functions the catalogue
// lookups rely on, and the file format as Windows reads it.
#include "platform/kernel.h"
#include "tests/unit/medium_fixture.h"

using namespace std::string_literals;

class ProfileTest : public MediumTest {
protected:
    static constexpr const WCHAR* kFile = TEXT("D:\\Setup\\t.ini");

    // The buffer up to and including the NUL after the count.
    static std::u16string Section(const WCHAR* section, DWORD size, DWORD* count = nullptr)
    {
        std::vector<WCHAR> buffer(std::max<DWORD>(size, 1), u'#');
        DWORD n = ::GetPrivateProfileSectionW(section, buffer.data(), size, kFile);
        if (count) *count = n;
        return std::u16string(buffer.data(), n + 1);
    }

    static std::u16string Value(const WCHAR* section, const WCHAR* key, DWORD size = 100,
                                const WCHAR* fallback = nullptr, DWORD* count = nullptr)
    {
        std::vector<WCHAR> buffer(size, u'#');
        DWORD n = ::GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, kFile);
        if (count) *count = n;
        EXPECT_EQ(n, text::Length(buffer.data()));
        return buffer.data();
    }
};

TEST_F(ProfileTest, SectionListsEntryLinesWholeAndInFileOrder)
{
    WriteFile("t.ini",
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
    DWORD n = 0;
    EXPECT_EQ(Section(TEXT("MODELS"), 200, &n), u"KX-2400\0A=B\0=only a value\0#not a comment=x ;nor this\0\0"s);
    EXPECT_EQ(n, 53u);  // every line with its NUL, not the final NUL
    EXPECT_EQ(Section(TEXT("other"), 200), u"x=1\0\0"s);
    // Lines before the first header belong to no section, not even the nameless one.
    EXPECT_EQ(Section(TEXT(""), 200, &n), u"\0"s);
    EXPECT_EQ(n, 0u);
}

TEST_F(ProfileTest, SectionThatDoesNotFitIsCutAndCountedAsSizeMinusTwo)
{
    WriteFile("t.ini", "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
    DWORD n = 0;
    EXPECT_EQ(Section(TEXT("s"), 100, &n), u"name1=val1\0name2=\0name3\0name4=val4\0\0"s);
    EXPECT_EQ(n, 35u);
    // Windows' own example: the last line that does not fit is cut, two NULs follow.
    EXPECT_EQ(Section(TEXT("s"), 24, &n), u"name1=val1\0name2=\0name\0"s);
    EXPECT_EQ(n, 22u);
    // Lines taking size - 2 or size - 1 characters (37, 36) come back as size - 2 too,
    // so that count never proves a section whole. Whatever the size, nothing is written
    // past the buffer and the list ends in two NULs.
    for (DWORD size = 1; size < 40; ++size) {
        std::vector<WCHAR> buffer(size, u'#');
        n = ::GetPrivateProfileSectionW(TEXT("s"), buffer.data(), size, kFile);
        EXPECT_EQ(n, size >= 37 ? 35 : size > 2 ? size - 2 : 0) << size;
        EXPECT_EQ(buffer[n], 0) << size;
        if (size > 1) {
            EXPECT_TRUE((n > 0 && buffer[n - 1] == 0) || (n + 1 < size && buffer[n + 1] == 0)) << size;
        }
    }
}

TEST_F(ProfileTest, MissingFileSectionOrEntriesGiveZeroAndAnEmptyList)
{
    WriteFile("t.ini", "[empty]\n[full]\na\n");
    for (const WCHAR* section : {TEXT("empty"), TEXT("absent")}) {
        DWORD n = 1;
        EXPECT_EQ(Section(section, 10, &n), u"\0"s);
        EXPECT_EQ(n, 0u);
    }
    WCHAR buffer[10] = {u'#', u'#'};
    EXPECT_EQ(::GetPrivateProfileSectionW(TEXT("full"), buffer, 10, TEXT("D:\\Setup\\none.ini")), 0u);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0);
    sim::FailCall("GetPrivateProfileSectionW", ERROR_SHARING_VIOLATION, 1);
    EXPECT_EQ(::GetPrivateProfileSectionW(TEXT("full"), buffer, 10, kFile), 0u);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(::GetPrivateProfileSectionW(TEXT("full"), buffer, 10, kFile), 2u);
}

TEST_F(ProfileTest, ValueIsCutToSizeMinusOneAndCountedSo)
{
    WriteFile("t.ini", "[s]\nkey=123456789\n");
    DWORD n = 0;
    EXPECT_EQ(Value(TEXT("s"), TEXT("key"), 11, nullptr, &n), u"123456789");
    EXPECT_EQ(n, 9u);
    EXPECT_EQ(Value(TEXT("s"), TEXT("key"), 10, nullptr, &n), u"123456789");
    EXPECT_EQ(n, 9u);  // a whole value of size - 1 looks exactly like a cut one
    EXPECT_EQ(Value(TEXT("s"), TEXT("key"), 5, nullptr, &n), u"1234");
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(Value(TEXT("s"), TEXT("key"), 1, nullptr, &n), u"");
    EXPECT_EQ(n, 0u);
}

TEST_F(ProfileTest, ValueLookupIgnoresCaseAndBlanksAndTakesTheFirstOfAName)
{
    WriteFile("t.ini",
              "[Names]\n"
              "  Korvel KX-2400  =  Korvel Printer  \n"
              "KORVEL KX-2400=second\n"
              "quoted=\"  in quotes  \"\n"
              "half=\"open\n"
              "bare\n"
              ";hidden=yes\n"
              "empty=\n"
              "[NAMES]\n"
              "other=from the second section\n");
    EXPECT_EQ(Value(TEXT("names"), TEXT("korvel kx-2400")), u"Korvel Printer");
    EXPECT_EQ(Value(TEXT(" Names "), TEXT(" Korvel KX-2400 ")), u"Korvel Printer");
    EXPECT_EQ(Value(TEXT("Names"), TEXT("quoted")), u"  in quotes  ");
    EXPECT_EQ(Value(TEXT("Names"), TEXT("half")), u"\"open");
    EXPECT_EQ(Value(TEXT("Names"), TEXT("other")), u"");  // only the first [Names] counts
    // Nothing found: the default, without its trailing blanks, or empty without one.
    for (const WCHAR* key : {TEXT("bare"), TEXT(";hidden"), TEXT("absent")}) {
        EXPECT_EQ(Value(TEXT("Names"), key), u"") << text::ToUtf8(key, text::Length(key));
        EXPECT_EQ(Value(TEXT("Names"), key, 100, TEXT("def  ")), u"def");
    }
    EXPECT_EQ(Value(TEXT("Names"), TEXT("empty"), 100, TEXT("def")), u"");
    WCHAR buffer[8] = {u'#'};
    EXPECT_EQ(::GetPrivateProfileStringW(TEXT("s"), TEXT("k"), nullptr, buffer, 8, TEXT("D:\\none.ini")), 0u);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(ProfileTest, ListingsOfKeysAndSections)
{
    WriteFile("t.ini", "[section1]\nname1=val1\nname2=\"val2\"\nname3\nname4=a\n[section2]\n");
    std::vector<WCHAR> buffer(16);
    EXPECT_EQ(::GetPrivateProfileStringW(TEXT("section1"), nullptr, TEXT("d"), buffer.data(), 16, kFile), 14u);
    EXPECT_EQ(std::u16string(buffer.data(), 16), u"name1\0name2\0na\0\0"s);
    EXPECT_EQ(::GetPrivateProfileStringW(nullptr, TEXT("x"), TEXT("d"), buffer.data(), 16, kFile), 14u);
    EXPECT_EQ(std::u16string(buffer.data(), 16), u"section1\0secti\0\0"s);
    EXPECT_EQ(Value(TEXT("section2"), nullptr, 100, TEXT("none")), u"none");
}

TEST_F(ProfileTest, FileIsUtf16WithItsMarkElseTheAnsiCodePage)
{
    const std::u16string series = u"针式打印机系列";
    WriteFile("t.ini", Utf16Le("[S]\r\nname=针式打印机系列\r\n"));
    EXPECT_EQ(Value(TEXT("s"), TEXT("name")), series);
    WriteFile("t.ini", "[S]\r\nname=\xd5\xeb\xca\xbd\xb4\xf2\xd3\xa1\xbb\xfa\xcf\xb5\xc1\xd0\r\n\x80=euro\r\n");
    EXPECT_EQ(Value(TEXT("s"), TEXT("name")), series);  // code page 936 at reset
    EXPECT_EQ(Value(TEXT("s"), TEXT("\x20AC")), u"euro");
    sim::SetCodePage(1252);  // the same bytes on a western Windows
    EXPECT_EQ(Value(TEXT("s"), TEXT("name")),
              u"\u00d5\u00eb\u00ca\u00bd\u00b4\u00f2\u00d3\u00a1\u00bb\u00fa\u00cf\u00b5\u00c1\u00d0");
    sim::SetCodePage(936);
    // A UTF-8 mark is not recognised: under 936 its last byte takes the '[' along.
    WriteFile("t.ini", "\xEF\xBB\xBF[S]\nname=x\n[T]\nname=y\n");
    EXPECT_EQ(Value(TEXT("S"), TEXT("name")), u"");
    EXPECT_EQ(Value(TEXT("T"), TEXT("name")), u"y");
    // Lines may end with CR LF, LF or CR alone.
    WriteFile("t.ini", "[S]\rname=cr\r[T]\r\nname=crlf\r\n");
    EXPECT_EQ(Value(TEXT("S"), TEXT("name")), u"cr");
    EXPECT_EQ(Section(TEXT("T"), 20), u"name=crlf\0\0"s);
}

TEST(CodePageTest, DefaultCharacterIsReported)
{
    sim::ResetMachine();
    char bytes[8] = {0};
    BOOL usedDefault = TRUE;
    EXPECT_EQ(::WideCharToMultiByte(936, 0, TEXT("A\x20AC"), 2, bytes, 8, nullptr, &usedDefault), 2);
    EXPECT_EQ(std::string(bytes, 2), "A\x80");
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(::WideCharToMultiByte(936, 0, TEXT("\x0E01"), 1, bytes, 8, nullptr, &usedDefault), 1);
    EXPECT_EQ(bytes[0], '?');
    EXPECT_TRUE(usedDefault);
}

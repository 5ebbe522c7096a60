// What the contract tests (tests/contract/profile_test.cpp) cannot check of the
// simulated profile readers: a cut section for every buffer size, injected failures,
// comment lines looked up as keys, and files in the machine's ANSI code page.
#include "platform/kernel.h"
#include "tests/support/medium_fixture.h"

class ProfileTest : public MediumTest {
protected:
    static constexpr const WCHAR* kFile = TEXT("D:\\Setup\\t.ini");

    static std::u16string Value(const WCHAR* section, const WCHAR* key, DWORD size = 100,
                                const WCHAR* fallback = nullptr)
    {
        std::vector<WCHAR> buffer(size, u'#');
        DWORD n = ::GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, kFile);
        EXPECT_EQ(n, text::Length(buffer.data()));
        return buffer.data();
    }
};

TEST_F(ProfileTest, SectionIsCutToEveryBufferSizeWithoutOverrun)
{
    WriteFile("t.ini", "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
    // Lines taking size - 2 or size - 1 characters (37, 36) come back as size - 2 too,
    // so that count never proves a section whole. Whatever the size, nothing is written
    // past the buffer and the list ends in two NULs.
    for (DWORD size = 1; size < 40; ++size) {
        std::vector<WCHAR> buffer(size, u'#');
        DWORD n = ::GetPrivateProfileSectionW(TEXT("s"), buffer.data(), size, kFile);
        EXPECT_EQ(n, size >= 37 ? 35 : size > 2 ? size - 2 : 0) << size;
        EXPECT_EQ(buffer[n], 0) << size;
        if (size > 1) {
            EXPECT_TRUE((n > 0 && buffer[n - 1] == 0) || (n + 1 < size && buffer[n + 1] == 0)) << size;
        }
    }
}

TEST_F(ProfileTest, AnInjectedFailureFailsOneReadAndLeavesAnEmptyList)
{
    WriteFile("t.ini", "[full]\na\n");
    WCHAR buffer[10] = {u'#', u'#'};
    sim::FailCall("GetPrivateProfileSectionW", ERROR_SHARING_VIOLATION, 1);
    EXPECT_EQ(::GetPrivateProfileSectionW(TEXT("full"), buffer, 10, kFile), 0u);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(::GetPrivateProfileSectionW(TEXT("full"), buffer, 10, kFile), 2u);
}

TEST_F(ProfileTest, ACommentLineIsNoKey)
{
    WriteFile("t.ini", "[Names]\n;hidden=yes\n");
    EXPECT_EQ(Value(TEXT("Names"), TEXT(";hidden")), u"");
    EXPECT_EQ(Value(TEXT("Names"), TEXT(";hidden"), 100, TEXT("def  ")), u"def");
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
}

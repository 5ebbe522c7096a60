// CStdioFile reads the lines of a text file one byte a character.
#include "tests/support/medium_fixture.h"

class StdioFile : public MediumTest {};

TEST_F(StdioFile, LinesWithEitherLineEndAndALastLineWithoutOne)
{
    static const char kText[] = "one\r\n\ntwo\rthree\n\xe9\x00z\r\nlast";
    WriteFile("a.txt", std::string(kText, sizeof kText - 1));
    CStdioFile file;
    ASSERT_TRUE(file.Open(u"D:\\Setup\\a.txt", CStdioFile::modeRead | CStdioFile::typeText));
    std::vector<std::u16string> lines;
    CString line;
    while (file.ReadString(line)) lines.push_back(line.Str());
    EXPECT_EQ(lines,
              (std::vector<std::u16string>{u"one", u"", u"two\rthree", std::u16string(u"\u00e9\0z", 3), u"last"}));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    file.Close();
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);

    WriteFile("empty.txt", "");
    ASSERT_TRUE(file.Open(u"D:\\Setup\\empty.txt", CStdioFile::modeRead));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_FALSE(file.Open(u"D:\\Setup\\missing.txt", CStdioFile::modeRead));
}

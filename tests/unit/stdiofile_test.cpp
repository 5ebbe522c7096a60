// CStdioFile reads the lines of a text file one byte a character.
#include "tests/unit/setup_medium.h"
#include "tests/unit/sim_fixture.h"

class StdioFile : public SimTest {};

TEST_F(StdioFile, LinesWithEitherLineEndAndALastLineWithoutOne)
{
    SetupMedium medium;
    static const char kText[] = "one\r\n\ntwo\rthree\n\xe9\x00z\r\nlast";
    medium.Write("a.txt", std::string(kText, sizeof kText - 1));
    CStdioFile file;
    ASSERT_TRUE(file.Open(u"D:\\a.txt", CStdioFile::modeRead | CStdioFile::typeText));
    std::vector<std::u16string> lines;
    CString line;
    while (file.ReadString(line)) lines.push_back(line.Str());
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"one", u"", u"two\rthree", std::u16string(u"\u00e9\0z", 3),
                                                  u"last"}));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    file.Close();
    EXPECT_EQ(sim::OpenHandleCount("file"), 0u);

    medium.Write("empty.txt", "");
    ASSERT_TRUE(file.Open(u"D:\\empty.txt", CStdioFile::modeRead));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_FALSE(file.Open(u"D:\\missing.txt", CStdioFile::modeRead));
}

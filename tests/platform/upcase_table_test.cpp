// The letter-case table behind every case-blind comparison.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/text.h"

// The table is what the generator makes of the published table, byte for byte.
TEST(UpperCaseTable, TheUpperCaseTableIsTheGeneratorsOutput)
{
    std::string generated = "/tmp/korvel-upcase-" + std::to_string(::getpid()) + ".cpp";
    std::string command = "python3 " KORVEL_SOURCE_DIR "/platform/upcase/generate.py " + generated;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream a(generated), b(KORVEL_SOURCE_DIR "/platform/upcase_table.cpp");
    std::stringstream ta, tb;
    ta << a.rdbuf();
    tb << b.rdbuf();
    std::remove(generated.c_str());
    EXPECT_EQ(ta.str(), tb.str()) << "run platform/upcase/generate.py";
    EXPECT_EQ(text::UpperCase(0x131), 0x131);
    EXPECT_EQ(text::UpperCase(0xFF), 0x178);
    EXPECT_EQ(text::UpperCase(0xFF5A), 0xFF3A);
}

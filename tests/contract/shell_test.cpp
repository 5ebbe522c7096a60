// Command lines split as the printer-UI entry splits its arguments: a name or path
// that the split takes apart differently from what the wizard meant would install
// the wrong thing, so the simulated split must be the real one.
#include "platform/shell.h"
#include "tests/contract/fixture.h"

namespace {

using Args = std::vector<std::string>;

class Shell : public Contract {
protected:
    static Args Split(const char* utf8)
    {
        WString line = W(utf8);
        int argc = -1;
        LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &argc);
        Args out;
        for (int i = 0; argv && i < argc; ++i) out.push_back(U8(argv[i]));
        EXPECT_TRUE(argv && argv[argc] == nullptr) << "the array ends with a null pointer";
        ::LocalFree(argv);
        return out;
    }
};

TEST_F(Shell, CommandLinesSplitAtBlanksWithQuotesAndBackslashes)
{
    EXPECT_EQ(Split("x \"a b\"   c\t d "), (Args{"x", "a b", "c", "d"}));
    // 2n backslashes and a quotation mark: n backslashes, and the mark toggles quoting.
    EXPECT_EQ(Split("x a\\\\\\\\\"b c\" d"), (Args{"x", "a\\\\b c", "d"}));
    // 2n+1 backslashes and a quotation mark: n backslashes and a literal mark.
    EXPECT_EQ(Split("x a\\\\\\\"b c"), (Args{"x", "a\\\"b", "c"}));
    // Backslashes before anything else stand as they are.
    EXPECT_EQ(Split("x a\\\\\\b d\"e f\"g h"), (Args{"x", "a\\\\\\b", "de fg", "h"}));
    // Within quotes, "" gives a literal mark and ends the quoting; """ inside keeps it.
    EXPECT_EQ(Split("x \"a\"\"b c\""), (Args{"x", "a\"b", "c"}));
    EXPECT_EQ(Split("x \"a\"\"\"b c\""), (Args{"x", "a\"b c"}));
    EXPECT_EQ(Split("x \"\" b"), (Args{"x", "", "b"}));
    // The program name follows rules of its own.
    EXPECT_EQ(Split("\"C:\\a b\\\" y"), (Args{"C:\\a b\\", "y"}));
    EXPECT_EQ(Split("  a b"), (Args{"", "a", "b"}));
    // An empty line stands for the program itself.
    WCHAR module[MAX_PATH] = {0};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    EXPECT_EQ(Split(""), Args{U8(module)});
}

TEST_F(Shell, QuotedValuesThatWouldBreakThePrinterUiCommand)
{
    // A quotation mark in a name ends its quoted part early.
    EXPECT_EQ(Split("/if /n \"A\" /r \"FILE:\" /f \"x\""), (Args{"/if", "/n", "A", "/r", "FILE:", "/f", "x"}));
    EXPECT_EQ(Split("/n \"A\"B\" /f \"x\""), (Args{"/n", "AB /f x"}));
    // A path ending in a backslash turns \" into a mark and swallows the next switch.
    EXPECT_EQ(Split("/f \"D:\\dir\\\" /r \"LPT1:\" /m \"A\" "), (Args{"/f", "D:\\dir\" /r LPT1: /m A "}));
}

}  // namespace

// The names the log gives Windows error codes.
#include <gtest/gtest.h>

#include <string>

#include "platform/error_names.h"
#include "platform/text.h"

TEST(ErrorNames, ErrorCodesCarryTheirNames)
{
    auto name = [](DWORD code) {
        const WCHAR* n = text::ErrorName(code);
        return n ? text::ToUtf8(n, text::Length(n)) : std::string("<none>");
    };
    EXPECT_EQ(name(5), "ERROR_ACCESS_DENIED");
    EXPECT_EQ(name(3001), "ERROR_PRINTER_DRIVER_IN_USE");
    EXPECT_EQ(name(0xE000020Bu), "ERROR_NO_SUCH_DEVINST");
    EXPECT_EQ(name(1796), "ERROR_UNKNOWN_PORT");
    EXPECT_EQ(name(4), "ERROR_TOO_MANY_OPEN_FILES");
    EXPECT_EQ(name(12345), "<none>");
}

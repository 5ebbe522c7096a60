// The fixture of the contract tests: the same test text runs against the simulated
// machine (Linux) and against the real functions (Windows, Wine).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kernel.h"
#include "platform/text.h"
#include "tests/contract/side.h"

class Contract : public ::testing::Test {
protected:
    void SetUp() override { contract::SetUpMachine(); }
    void TearDown() override { contract::TearDownMachine(); }

    static WString W(const char* utf8) { return text::FromUtf8(utf8); }
    static std::string U8(const WString& s) { return text::ToUtf8(s); }
    static WString Path(const char* name) { return contract::TestDir() + W(name); }
    // The NUL-separated lines of a section buffer, up to its empty line.
    static std::vector<std::string> Lines(const WCHAR* buffer, size_t size)
    {
        std::vector<std::string> lines;
        size_t i = 0;
        while (i < size && buffer[i]) {
            size_t n = text::Length(buffer + i);
            lines.push_back(text::ToUtf8(buffer + i, n));
            i += n + 1;
        }
        return lines;
    }
};

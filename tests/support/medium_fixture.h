// Test fixture: a setup medium in a temporary host folder mapped as drive D:, with the
// program at D:\Setup\KorvelSetup.exe, so catalogues can be written byte for byte.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/sim_fixture.h"

class MediumTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        std::string pattern = (std::filesystem::temp_directory_path() / "korvel-medium-XXXXXX").string();
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        m_root = pattern;
        std::filesystem::create_directories(m_root / "Setup");
        sim::MapDrive('D', m_root.string());
        sim::SetModulePath(u"D:\\Setup\\KorvelSetup.exe");
    }

    void TearDown() override
    {
        SimTest::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    // Writes the bytes as they stand to a file below D:\Setup\.
    void WriteFile(const std::string& relative, const std::string& bytes)
    {
        std::filesystem::path path = m_root / "Setup" / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void WriteCatalogue(const std::string& bytes) { WriteFile("PrinterInfor.Inf", bytes); }

    // UTF-16LE with its byte-order mark, from UTF-8.
    static std::string Utf16Le(const std::string& utf8)
    {
        std::string bytes = "\xFF\xFE";
        for (WCHAR c : text::FromUtf8(utf8)) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        return bytes;
    }

    static std::vector<std::string> Utf8(const CStringList& list)
    {
        std::vector<std::string> out;
        for (const CString& s : list) out.push_back(text::ToUtf8(s.Str()));
        return out;
    }
    using SimTest::Utf8;

    std::filesystem::path m_root;
};

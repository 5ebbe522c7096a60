// Registry reads as the USB detection uses them: open, enumerate sub-keys, query
// values with two-call sizing, and the status codes of the ends and failures.
#include <set>

#include "platform/registry.h"
#include "tests/contract/fixture.h"

namespace {

const char kRoot[] = "Software\\KorvelContract";

class Registry : public Contract {
protected:
    void SetUp() override
    {
        Contract::SetUp();
        contract::DeleteRegistryTree(W(kRoot));
        ASSERT_TRUE(contract::CreateRegistryKey(W(kRoot) + W("\\Alpha")));
        ASSERT_TRUE(contract::CreateRegistryKey(W(kRoot) + W("\\Beta\\Inner")));
        ASSERT_TRUE(contract::SetRegistryString(W(kRoot) + W("\\Alpha"), W("Text"), W("Value text")));
        ASSERT_TRUE(contract::SetRegistryDword(W(kRoot) + W("\\Alpha"), W("Number"), 1234));
    }
    void TearDown() override
    {
        contract::DeleteRegistryTree(W(kRoot));
        Contract::TearDown();
    }
    HKEY Open(const char* path)
    {
        HKEY key = nullptr;
        LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, W(path).c_str(), 0, KEY_READ, &key);
        return status == ERROR_SUCCESS ? key : nullptr;
    }
};

TEST_F(Registry, OpeningAMissingKeyFailsWithFileNotFound)
{
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, W("Software\\KorvelContract\\Missing").c_str(), 0, KEY_READ, &key),
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Registry, SubKeysAreEnumeratedUntilNoMoreItems)
{
    HKEY root = Open(kRoot);
    ASSERT_NE(root, nullptr);
    std::set<std::string> names;
    DWORD index = 0;
    for (;; ++index) {
        WCHAR name[64];
        DWORD chars = 64;
        LSTATUS status = ::RegEnumKeyExW(root, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, static_cast<LSTATUS>(ERROR_SUCCESS));
        EXPECT_EQ(chars, text::Length(name)) << "the count leaves out the NUL";
        names.insert(U8(name));
        ASSERT_LT(index, 10u);
    }
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(names, (std::set<std::string>{"Alpha", "Beta"})) << "direct sub-keys only";

    WCHAR small[3];
    DWORD chars = 3;
    EXPECT_EQ(::RegEnumKeyExW(root, 0, small, &chars, nullptr, nullptr, nullptr, nullptr),
              static_cast<LSTATUS>(ERROR_MORE_DATA));
    EXPECT_EQ(::RegCloseKey(root), static_cast<LSTATUS>(ERROR_SUCCESS));
}

TEST_F(Registry, StringValueIsSizedByAFirstCallWithoutBuffer)
{
    HKEY key = Open("Software\\KorvelContract\\Alpha");
    ASSERT_NE(key, nullptr);
    DWORD type = 0, bytes = 0;
    ASSERT_EQ(::RegQueryValueExW(key, W("Text").c_str(), nullptr, &type, nullptr, &bytes),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 11u * sizeof(WCHAR)) << "the size counts the stored NUL";

    std::vector<WCHAR> data(bytes / sizeof(WCHAR), 0x7777);
    ASSERT_EQ(::RegQueryValueExW(key, W("Text").c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(U8(data.data()), "Value text");

    WCHAR small[4];
    DWORD smallBytes = sizeof small;
    EXPECT_EQ(::RegQueryValueExW(key, W("Text").c_str(), nullptr, &type, reinterpret_cast<BYTE*>(small), &smallBytes),
              static_cast<LSTATUS>(ERROR_MORE_DATA));
    EXPECT_EQ(smallBytes, 11u * sizeof(WCHAR)) << "a buffer too small learns the size it needs";
    ::RegCloseKey(key);
}

TEST_F(Registry, DwordValueAndMissingValue)
{
    HKEY key = Open("Software\\KorvelContract\\Alpha");
    ASSERT_NE(key, nullptr);
    DWORD type = 0, value = 0, bytes = sizeof value;
    ASSERT_EQ(::RegQueryValueExW(key, W("Number").c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1234u);
    EXPECT_EQ(bytes, 4u);
    EXPECT_EQ(::RegQueryValueExW(key, W("Missing").c_str(), nullptr, &type, nullptr, &bytes),
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    ::RegCloseKey(key);
}

TEST_F(Registry, NamesMatchWithoutRegardToCaseAndSubKeysComeSortedSo)
{
    ASSERT_TRUE(contract::CreateRegistryKey(W(kRoot) + W("\\Sorted\\Zulu")));
    ASSERT_TRUE(contract::CreateRegistryKey(W(kRoot) + W("\\Sorted\\alpha-long-name")));
    HKEY sorted = Open("SOFTWARE\\korvelcontract\\sorted");
    ASSERT_NE(sorted, nullptr);
    std::vector<std::string> names;
    WCHAR name[32];
    for (DWORD index = 0, chars = 32;
         ::RegEnumKeyExW(sorted, index, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, chars = 32)
        names.push_back(U8(name));
    EXPECT_EQ(names, (std::vector<std::string>{"alpha-long-name", "Zulu"}))
        << "sorted by name, letter case ignored, not in the order made";
    ::RegCloseKey(sorted);

    HKEY alpha = Open("Software\\KorvelContract\\ALPHA");
    ASSERT_NE(alpha, nullptr);
    DWORD number = 0, size = sizeof number;
    EXPECT_EQ(::RegQueryValueExW(alpha, W("NUMBER").c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(number, 1234u) << "value names too";
    ::RegCloseKey(alpha);
}

TEST_F(Registry, ClosingAKeyTwiceFailsWithInvalidHandle)
{
    HKEY key = Open(kRoot);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(::RegCloseKey(key), static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(::RegCloseKey(key), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
    contract::ExpectViolation("RegCloseKey");
}

}  // namespace

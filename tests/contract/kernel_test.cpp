// Kernel operations the program relies on: the module path cut to a small buffer,
// events and waits with time-outs, the error code of a bad handle, and text in the
// code page of a Chinese Windows.
#include "tests/contract/fixture.h"

namespace {

class Kernel : public Contract {};

TEST_F(Kernel, ModulePathCutToASmallBufferIsTerminatedAndReportsTheSize)
{
    WCHAR full[MAX_PATH] = {0};
    DWORD n = ::GetModuleFileNameW(nullptr, full, MAX_PATH);
    ASSERT_GT(n, 5u);
    ASSERT_LT(n, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(full[n], 0);

    WCHAR small[8];
    for (WCHAR& c : small) c = 0x7777;
    ::SetLastError(0);
    EXPECT_EQ(::GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    if (contract::OnWine()) {
        // Wine keeps the Windows XP behaviour: the cut path fills the buffer with no NUL.
        contract::KnownWineDifference("GetModuleFileNameW does not terminate a path cut to a small buffer");
        EXPECT_EQ(WString(small, 5), WString(full, 5));
    } else {
        EXPECT_EQ(small[4], 0);
        EXPECT_EQ(WString(small, 4), WString(full, 4));
    }
    EXPECT_EQ(small[5], 0x7777);
}

TEST_F(Kernel, EventsSignalAndResetAsCreated)
{
    HANDLE manual = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE automatic = ::CreateEventW(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(manual, nullptr);
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(::WaitForSingleObject(manual, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(::SetEvent(manual));
    EXPECT_EQ(::WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(::WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "a manual-reset event stays set";
    EXPECT_EQ(::WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(::WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "an auto-reset event resets";
    EXPECT_TRUE(::CloseHandle(manual));
    EXPECT_TRUE(::CloseHandle(automatic));
}

DWORD
#ifdef _WIN32
WINAPI
#endif
SetTheEvent(LPVOID event)
{
    ::SetEvent(static_cast<HANDLE>(event));
    return 7;
}

TEST_F(Kernel, ThreadRunsAndItsHandleSignalsWhenItEnds)
{
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = ::CreateThread(nullptr, 0, &SetTheEvent, event, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(::WaitForSingleObject(event, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(::WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(::CloseHandle(thread));
    EXPECT_TRUE(::CloseHandle(event));
}

TEST_F(Kernel, ClosingAHandleTwiceFailsWithInvalidHandle)
{
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(::CloseHandle(event));
    ::SetLastError(0);
    EXPECT_FALSE(::CloseHandle(event));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    contract::ExpectViolation("CloseHandle");
}

TEST_F(Kernel, AHandleOfAnotherKindOrClosedFailsWithInvalidHandle)
{
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = ::CreateThread(nullptr, 0, &SetTheEvent, event, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(::WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    ::SetLastError(0);
    EXPECT_FALSE(::SetEvent(thread));  // a thread is no event
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    contract::ExpectViolation("SetEvent");
    EXPECT_TRUE(::CloseHandle(thread));

    ASSERT_TRUE(::CloseHandle(event));
    ::SetLastError(0);
    EXPECT_EQ(::WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_FAILED));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    contract::ExpectViolation("WaitForSingleObject");
}

TEST_F(Kernel, ConversionsRefuseOneBufferForBothAndFlagsUtf8DoesNotTake)
{
    if (contract::OnWine()) {
        // Wine converts one buffer into itself, and takes MB_PRECOMPOSED and a default
        // character with UTF-8; the documentation refuses all three, as Windows does.
        contract::KnownWineDifference("the conversions take one buffer for both, and flags and a default for UTF-8");
        return;
    }
    char text[16] = "abc";
    WCHAR wide[16] = {'a', 'b', 'c', 0};
    ::SetLastError(0);
    EXPECT_EQ(::MultiByteToWideChar(CP_ACP, 0, text, 4, reinterpret_cast<LPWSTR>(text), 8), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ::SetLastError(0);
    EXPECT_EQ(::WideCharToMultiByte(CP_ACP, 0, wide, 4, reinterpret_cast<LPSTR>(wide), 32, nullptr, nullptr), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    WCHAR out[16];
    ::SetLastError(0);
    EXPECT_EQ(::MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, text, 4, out, 16), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    char bytes[16];
    const char fallback[] = "?";
    ::SetLastError(0);
    EXPECT_EQ(::WideCharToMultiByte(CP_UTF8, 0, wide, 4, bytes, 16, fallback, nullptr), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Kernel, CodePage936HasTheEuroSignAndReportsTheDefaultCharacter)
{
    char bytes[8] = {0};
    BOOL usedDefault = TRUE;
    const WCHAR euro[] = {'A', 0x20AC, 0};
    EXPECT_EQ(::WideCharToMultiByte(936, 0, euro, 2, bytes, 8, nullptr, &usedDefault), 2);
    EXPECT_EQ(std::string(bytes, 2), "A\x80");
    EXPECT_FALSE(usedDefault);
    const WCHAR thai[] = {0x0E01, 0};
    EXPECT_EQ(::WideCharToMultiByte(936, 0, thai, 1, bytes, 8, nullptr, &usedDefault), 1);
    EXPECT_EQ(bytes[0], '?');
    EXPECT_TRUE(usedDefault);
}

}  // namespace

namespace {

class Files : public Contract {
protected:
    // CreateFileW as the program's log opens its file: appending, created when missing.
    static HANDLE OpenToAppend(const WString& path, DWORD* error)
    {
        ::SetLastError(12345);
        HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        *error = ::GetLastError();
        return file;
    }
    static bool Append(const WString& path, const std::string& bytes, DWORD* error)
    {
        HANDLE file = OpenToAppend(path, error);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
        ::CloseHandle(file);
        return ok;
    }
    static std::string Read(const WString& path)
    {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
        std::string bytes;
        char chunk[256];
        DWORD got = 0;
        while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
        ::CloseHandle(file);
        return bytes;
    }
};

}  // namespace

TEST_F(Files, AppendingCreatesAMissingFileAndAddsAtTheEnd)
{
    DWORD error = 0;
    ASSERT_TRUE(Append(Path("new.log"), "one\r\n", &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS)) << "created";
    ASSERT_TRUE(Append(Path("new.log"), "two\r\n", &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "opened";
    EXPECT_EQ(Read(Path("new.log")), "one\r\ntwo\r\n");

    contract::WriteTestFile(W("old.log"), "old\r\n");
    ASSERT_TRUE(Append(Path("old.log"), "new\r\n", &error));
    EXPECT_EQ(Read(Path("old.log")), "old\r\nnew\r\n");

    // A handle for appending does not read.
    HANDLE file = OpenToAppend(Path("old.log"), &error);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char byte = 0;
    DWORD got = 0;
    EXPECT_FALSE(::ReadFile(file, &byte, 1, &got, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(::CloseHandle(file));
}

TEST_F(Files, APathThatCannotBeAFileFailsWithItsError)
{
    DWORD error = 0;
    EXPECT_EQ(OpenToAppend(Path("missing\\a.log"), &error), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    WString folder = contract::TestDir();
    folder.pop_back();  // the test folder itself, without its final backslash
    EXPECT_EQ(OpenToAppend(folder, &error), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));

    ASSERT_TRUE(Append(Path("once.log"), "x", &error));
    HANDLE again =
        ::CreateFileW(Path("once.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    if (again != INVALID_HANDLE_VALUE) ::CloseHandle(again);
}

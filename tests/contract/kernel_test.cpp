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

// The machine's verifier: a broken rule is recorded with the function, the rule and
// the caller's values; what a program leaves open is recorded when it ends, once;
// and a test with a recorded violation fails (tests/support/verifier_listener.cpp).
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "platform/devinst.h"
#include "platform/kernel.h"
#include "platform/registry.h"
#include "platform/sim/control/devices.h"
#include "platform/sim/control/registry.h"
#include "platform/sim/control/verifier.h"
#include "tests/support/sim_fixture.h"

class VerifierTest : public SimTest {
protected:
    static std::vector<std::string> Taken() { return TakeViolations(); }
    static std::string Hex(HANDLE h)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
        return buffer;
    }
};

TEST_F(VerifierTest, ClosingTwiceFailsAsWindowsDoesAndIsRecorded)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_TRUE(sim::Violations().empty());

    SetLastError(0);
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Taken(), std::vector<std::string>{"CloseHandle: a handle is not used after it was closed (hObject=" +
                                                Hex(event) + ", an event, closed)"});

    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7777))));
    EXPECT_EQ(Taken(),
              std::vector<std::string>{"CloseHandle: hObject must be a handle the system handed out (event, "
                                       "thread, process, file, device or token) (hObject=0x7777, no handle the "
                                       "machine handed out)"});
}

TEST_F(VerifierTest, WhatTheProgramLeavesOpenIsRecordedOnceWhenItEnds)
{
    HANDLE kept = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE closed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(closed));
    sim::EndProgram();
    EXPECT_EQ(Taken(), std::vector<std::string>{"CloseHandle: every handle is released before the program ends "
                                                "(handle=" +
                                                Hex(kept) + ", an event, open)"});
    sim::EndProgram();
    sim::ResetMachine();
    EXPECT_TRUE(Taken().empty());
}

// Runs this very test program again with a test that leaks an event: it must fail,
// and say why.
TEST_F(VerifierTest, ATestWithAViolationFails)
{
    if (std::getenv("KORVEL_VERIFIER_DEMO")) {
        CreateEventW(nullptr, FALSE, FALSE, nullptr);  // never closed
        return;
    }
    std::string command = "KORVEL_VERIFIER_DEMO=1 /proc/" + std::to_string(getpid()) +
                          "/exe --gtest_filter=VerifierTest.ATestWithAViolationFails 2>&1";
    FILE* child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string output;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, child)) output.append(buffer, n);
    int status = pclose(child);
    EXPECT_NE(status, 0) << output;
    EXPECT_NE(output.find("1 contract violation(s) on the simulated machine:\n  CloseHandle: every handle is "
                          "released before the program ends"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("[  FAILED  ] VerifierTest.ATestWithAViolationFails"), std::string::npos) << output;
}

// Each broken rule fails as Windows fails (where it documents the failure) and is
// recorded under the function called; the calls that keep to the rules record nothing.
TEST_F(VerifierTest, EachBrokenRuleIsRecordedUnderItsFunction)
{
    sim::TypicalUsbPrinter never;
    never.answer = sim::DeviceIdAnswer::Never;
    sim::PlugInTypicalUsbPrinter(never);
    auto openDevice = [] {
        return CreateFileW(sim::PresentUsbPrinters().front().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    };
    struct Case {
        const char* what;
        std::function<void()> call;  // checks the result Windows gives
        const char* function;        // under which the violation is recorded
    } cases[] = {
        {"SetEvent on a thread",
         [] {
             HANDLE thread = CreateThread(
                 nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
             EXPECT_FALSE(SetEvent(thread));
             EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
             WaitForSingleObject(thread, INFINITE);
             CloseHandle(thread);
         },
         "SetEvent"},
        {"a wait on a registry key",
         [] {
             HKEY key = nullptr;
             ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM", 0, KEY_READ, &key), ERROR_SUCCESS);
             EXPECT_EQ(WaitForSingleObject(key, 0), WAIT_FAILED);
             RegCloseKey(key);
         },
         "WaitForSingleObject"},
        {"a registry key closed with CloseHandle",
         [] {
             HKEY key = nullptr;
             ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM", 0, KEY_READ, &key), ERROR_SUCCESS);
             EXPECT_FALSE(CloseHandle(key));
             RegCloseKey(key);
         },
         "CloseHandle"},
        {"a value read from a closed key",
         [] {
             HKEY key = nullptr;
             ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM", 0, KEY_READ, &key), ERROR_SUCCESS);
             RegCloseKey(key);
             DWORD size = 0;
             EXPECT_EQ(RegQueryValueExW(key, u"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
         },
         "RegQueryValueExW"},
        {"an event as a device information set",
         [] {
             HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
             SP_DEVICE_INTERFACE_DATA data = {};
             data.cbSize = sizeof(data);
             EXPECT_FALSE(SetupDiEnumDeviceInterfaces(event, nullptr, &sim::kUsbPrintInterfaceClass, 0, &data));
             EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
             CloseHandle(event);
         },
         "SetupDiEnumDeviceInterfaces"},
        {"the exit code of a thread asked of GetExitCodeProcess",
         [] {
             HANDLE thread = CreateThread(
                 nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
             DWORD code = 0;
             EXPECT_FALSE(GetExitCodeProcess(thread, &code));
             WaitForSingleObject(thread, INFINITE);
             CloseHandle(thread);
         },
         "GetExitCodeProcess"},
        {"an OVERLAPPED reused while its request is pending",
         [&] {
             HANDLE device = openDevice();
             HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
             OVERLAPPED ov = {};
             ov.hEvent = event;
             BYTE first[16], second[16];
             DWORD count = 0;
             EXPECT_FALSE(DeviceIoControl(device, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, first, 16, &count, &ov));
             EXPECT_FALSE(DeviceIoControl(device, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, second, 16, &count, &ov));
             EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
             CancelIo(device);
             GetOverlappedResult(device, &ov, &count, TRUE);
             CloseHandle(device);
             CloseHandle(event);
         },
         "DeviceIoControl"},
        {"an event closed while a request that signals it is pending",
         [&] {
             HANDLE device = openDevice();
             OVERLAPPED ov = {};
             ov.hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
             BYTE buffer[16];
             DWORD count = 0;
             DeviceIoControl(device, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, buffer, 16, &count, &ov);
             EXPECT_TRUE(CloseHandle(ov.hEvent));
             CloseHandle(device);  // cancels; the request ends without an event to set
         },
         "CloseHandle"},
        {"a handle closed while another thread waits on it",
         [] {
             HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
             std::thread waiter([event] { WaitForSingleObject(event, 100); });
             while (!sim::WaitersOn(event)) std::this_thread::yield();
             EXPECT_TRUE(CloseHandle(event));
             waiter.join();
         },
         "CloseHandle"},
        {"a synchronous read without a byte count",
         [] {
             sim::SetMemoryFile(u"C:\\a.txt", "abc");
             HANDLE file = CreateFileW(u"C:\\a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             char buffer[4];
             EXPECT_FALSE(ReadFile(file, buffer, 3, nullptr, nullptr));
             CloseHandle(file);
         },
         "ReadFile"},
        {"a constant command line",
         [] {
             sim::SetMemoryFile(u"C:\\b.exe", "MZ");
             STARTUPINFOW startup = {};
             startup.cb = sizeof(startup);
             PROCESS_INFORMATION info = {};
             static const WCHAR kLine[] = u"\"C:\\b.exe\"";
             CreateProcessW(nullptr, const_cast<LPWSTR>(kLine), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info);
             if (info.hProcess) CloseHandle(info.hProcess);
             if (info.hThread) CloseHandle(info.hThread);
         },
         "CreateProcessW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.call();
        EXPECT_EQ(TakeViolatedFunctions(), std::vector<std::string>{c.function});
    }
}

// The window rules: a window used after it was destroyed, a timer on another
// thread's window; and a message box style that Windows refuses.
TEST_F(VerifierTest, WindowsThatAreGoneAndWindowsOfAnotherThread)
{
    StartWizard();
    ASSERT_TRUE(Stable());
    HWND sheet = sim::ui::SheetWindow();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(SetTimer(sheet, 7, 50, nullptr), 7u);  // the sheet belongs to the program's thread
    EXPECT_EQ(TakeViolations(), std::vector<std::string>{"SetTimer: the window is owned by the calling thread (hWnd=" +
                                                         Hex(sheet) + ", nIDEvent=7, a window of another thread)"});
    EXPECT_EQ(MessageBoxW(nullptr, u"x", u"y", 0x7), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE));

    ASSERT_TRUE(sim::ui::Press(sim::ui::Button::Cancel));
    ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
    SetLastError(0);
    EXPECT_EQ(SendMessageW(sheet, WM_NULL, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageW(sheet, WM_NULL, 0, 0));
    EXPECT_FALSE(IsWindow(sheet));  // the one question a gone window may be asked
    EXPECT_EQ(TakeViolatedFunctions(), (std::vector<std::string>{"SendMessageW", "PostMessageW"}));
}

// A size in bytes where characters are meant declares twice the buffer. Only a build
// with AddressSanitizer knows where a buffer ends; there each sized call is checked.
TEST_F(VerifierTest, ASizeInTheWrongUnitIsCaughtWhereTheBufferEnds)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "only an AddressSanitizer build knows where a buffer ends";
#endif
    sim::SetMemoryFile(u"C:\\a.ini", "[s]\nk=value\n");
    sim::SetRegistryValue(HKEY_LOCAL_MACHINE, u"K", u"v", sim::RegSz(u"text"));
    std::vector<WCHAR> chars(8);  // on the heap: it ends exactly there
    const DWORD bytes = static_cast<DWORD>(chars.size() * sizeof(WCHAR));
    struct Case {
        const char* function;
        std::function<void()> call;
    } cases[] = {
        {"GetPrivateProfileStringW",
         [&] { GetPrivateProfileStringW(u"s", u"k", u"", chars.data(), bytes, u"C:\\a.ini"); }},
        {"GetPrivateProfileSectionW", [&] { GetPrivateProfileSectionW(u"s", chars.data(), bytes, u"C:\\a.ini"); }},
        {"RegQueryValueExW",
         [&] {
             HKEY key = nullptr;
             ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"K", 0, KEY_READ, &key), ERROR_SUCCESS);
             DWORD size = bytes * 2;
             RegQueryValueExW(key, u"v", nullptr, nullptr, reinterpret_cast<BYTE*>(chars.data()), &size);
             RegCloseKey(key);
         }},
        {"MultiByteToWideChar",
         [&] { MultiByteToWideChar(CP_ACP, 0, "abc", 3, chars.data(), static_cast<int>(bytes)); }},
        {"GetModuleFileNameW", [&] { GetModuleFileNameW(nullptr, chars.data(), bytes); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        c.call();
        EXPECT_EQ(TakeViolatedFunctions(), std::vector<std::string>{c.function});
    }
    GetPrivateProfileStringW(u"s", u"k", u"", chars.data(), static_cast<DWORD>(chars.size()), u"C:\\a.ini");
    EXPECT_TRUE(TakeViolations().empty());
}

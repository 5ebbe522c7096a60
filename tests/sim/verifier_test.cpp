// The machine's verifier: a broken rule is recorded with the function, the rule and
// the caller's values; what a program leaves open is recorded when it ends, once;
// and a test with a recorded violation fails (tests/sim/verifier_listener.cpp).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/kernel.h"
#include "platform/sim/control/verifier.h"
#include "tests/unit/sim_fixture.h"

class VerifierTest : public SimTest {
protected:
    // The violations recorded, as their texts; clears them, so that the test itself
    // does not fail on what it provoked.
    static std::vector<std::string> Taken()
    {
        std::vector<std::string> texts;
        for (const sim::Violation& v : sim::TakeViolations()) texts.push_back(v.Text());
        return texts;
    }
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
    EXPECT_EQ(Taken(), std::vector<std::string>{"CloseHandle: hObject must be a handle the system handed out (event, "
                                                "thread, process, file or device) (hObject=0x7777, no handle the "
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

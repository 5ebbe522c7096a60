// Holds every test on the simulated machine to the machine's verifier, as an
// application verifier holds a program: at the end of each test the program is ended
// (sim::EndProgram: what it left open or pending is recorded), and any contract
// violation recorded during the test fails it, with each one listed.
//
// It also bounds each test's time: a test that runs longer than its limit is a hang
// (a wait that is never satisfied, a button that never comes back), and the whole
// program stops at once naming it, rather than running until ctest's time-out.
//
// Linked into every GoogleTest program of the host build and registered before main.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sim/control/verifier.h"

#ifndef KORVEL_TEST_TIME_FACTOR
#define KORVEL_TEST_TIME_FACTOR 1
#endif

namespace {

// No single test comes near this; the sanitizers' builds multiply it.
constexpr std::chrono::seconds kTestLimit(60 * KORVEL_TEST_TIME_FACTOR);

class Watchdog {
public:
    Watchdog()
    {
        std::thread([this] { Watch(); }).detach();
    }
    void Arm(const std::string& test)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_test = test;
        m_deadline = std::chrono::steady_clock::now() + kTestLimit;
        m_armed = true;
        m_changed.notify_all();
    }
    void Disarm()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
        m_changed.notify_all();
    }

private:
    void Watch()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            if (!m_armed) {
                m_changed.wait(lock);
                continue;
            }
            if (m_changed.wait_until(lock, m_deadline, [this] { return !m_armed; })) continue;
            std::fprintf(stderr, "\n%s: still running after %lld s: a hang; stopping the tests\n", m_test.c_str(),
                         static_cast<long long>(kTestLimit.count()));
            std::fflush(stderr);
            std::_Exit(124);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_test;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
};

class VerifierListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        m_watchdog->Arm(std::string(test.test_suite_name()) + "." + test.name());
    }

    // Runs before the result printer's OnTestEnd (gtest calls OnTestEnd in reverse
    // order), so that the failure added here is part of the test's result.
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        sim::EndProgram();
        std::vector<sim::Violation> violations = sim::TakeViolations();
        m_watchdog->Disarm();
        if (violations.empty()) return;
        std::string list;
        for (const sim::Violation& v : violations) list += "\n  " + v.Text();
        ADD_FAILURE() << violations.size() << " contract violation(s) on the simulated machine:" << list;
    }

    // Never destroyed: its thread waits on it until the process exits, after gtest
    // has deleted its listeners.
    Watchdog* m_watchdog = new Watchdog;
};

const bool g_registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new VerifierListener);
    return true;
}();

}  // namespace

// The two-call sizing shared by the printer, port, printer-record and interface
// detail queries, against a scripted query: which calls are made, with what buffer,
// and what the caller is told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/two_call.h"

namespace {

// One answer of the scripted query: its result, its last error and the size it reports.
struct Answer {
    BOOL result;
    DWORD error;
    DWORD needed;
};

struct Queried {
    two_call::Outcome outcome;
    std::string calls;  // "null/0" or "buffer/<size>" per call, "+zeroed" when the buffer was all zeros
    bool data;          // what the caller reads afterwards
    DWORD size;
};

Queried Query(const std::vector<Answer>& answers, const two_call::Rules& rules = two_call::Rules(),
              two_call::Allocator allocate = &two_call::AllocateZeroed)
{
    size_t next = 0;
    std::string calls;
    auto query = [&](BYTE* buffer, DWORD size, DWORD* needed) -> BOOL {
        if (!calls.empty()) calls += ' ';
        calls += buffer ? "buffer/" + std::to_string(size) : "null/" + std::to_string(size);
        bool zeroed = buffer != nullptr;
        for (DWORD i = 0; buffer && i < size; ++i) zeroed = zeroed && buffer[i] == 0;
        if (zeroed && size) calls += "+zeroed";
        if (next >= answers.size()) {
            calls += " (one call too many)";
            return FALSE;
        }
        const Answer& a = answers[next++];
        *needed = a.needed;
        ::SetLastError(a.error);
        return a.result;
    };
    two_call::Buffer buffer(allocate);
    two_call::Outcome outcome = buffer.Fetch(query, rules);
    return {outcome, calls, buffer.Data() != nullptr, buffer.Size()};
}

BYTE* NoMemory(size_t) { return nullptr; }

size_t g_lastRequest = 0;
BYTE* Recording(size_t bytes)
{
    g_lastRequest = bytes;
    return two_call::AllocateZeroed(bytes);
}

}  // namespace

TEST(TwoCall, TheSecondCallGetsABufferOfTheReportedSize)
{
    Queried run = Query({{FALSE, ERROR_INSUFFICIENT_BUFFER, 40}, {TRUE, 0, 40}});
    EXPECT_EQ(run.outcome, two_call::kFetched);
    EXPECT_EQ(run.calls, "null/0 buffer/40+zeroed");
    EXPECT_TRUE(run.data);
    EXPECT_EQ(run.size, 40u);

    // An answer that grew between the calls fails the second one: no third try.
    run = Query({{FALSE, ERROR_INSUFFICIENT_BUFFER, 40}, {FALSE, ERROR_INSUFFICIENT_BUFFER, 80}});
    EXPECT_EQ(run.outcome, two_call::kNotFetched);
    EXPECT_EQ(run.calls, "null/0 buffer/40+zeroed");

    // A reported size of zero still hands the second call a buffer of its own.
    run = Query({{FALSE, ERROR_INSUFFICIENT_BUFFER, 0}, {TRUE, 0, 0}}, two_call::Rules(), &Recording);
    EXPECT_EQ(run.outcome, two_call::kFetched);
    EXPECT_EQ(run.calls, "null/0 buffer/0");
    EXPECT_EQ(g_lastRequest, 1u);
    EXPECT_TRUE(run.data);
    EXPECT_EQ(run.size, 0u);
}

TEST(TwoCall, FailuresBeforeTheSecondCallEndTheQuery)
{
    // Another error than the size: nothing is allocated and nothing asked again.
    Queried run = Query({{FALSE, ERROR_ACCESS_DENIED, 40}}, two_call::Rules(), &NoMemory);
    EXPECT_EQ(run.outcome, two_call::kNotSized);
    EXPECT_EQ(run.calls, "null/0");

    run = Query({{FALSE, ERROR_INSUFFICIENT_BUFFER, 40}}, two_call::Rules(), &NoMemory);
    EXPECT_EQ(run.outcome, two_call::kNoMemory);
    EXPECT_EQ(run.calls, "null/0");

    // ...unless every failure counts as a size report.
    two_call::Rules anyError;
    anyError.anyErrorGivesSize = true;
    run = Query({{FALSE, ERROR_INVALID_HANDLE, 12}, {FALSE, ERROR_INVALID_HANDLE, 12}}, anyError);
    EXPECT_EQ(run.outcome, two_call::kNotFetched);
    EXPECT_EQ(run.calls, "null/0 buffer/12+zeroed");
}

TEST(TwoCall, AFirstCallThatSucceedsIsAskedAgainWithoutABufferUnlessItMustFail)
{
    Queried run = Query({{TRUE, 0, 0}, {TRUE, 0, 0}}, two_call::Rules(), &NoMemory);
    EXPECT_EQ(run.outcome, two_call::kFetched);
    EXPECT_EQ(run.calls, "null/0 null/0");
    EXPECT_FALSE(run.data);

    run = Query({{TRUE, 0, 0}, {FALSE, ERROR_ACCESS_DENIED, 0}});
    EXPECT_EQ(run.outcome, two_call::kNotFetched);

    two_call::Rules mustFail;
    mustFail.firstCallMustFail = true;
    run = Query({{TRUE, 0, 0}}, mustFail);
    EXPECT_EQ(run.outcome, two_call::kNotSized);
    EXPECT_EQ(run.calls, "null/0");
}

TEST(TwoCall, TheBufferIsNeverSmallerThanTheMinimum)
{
    two_call::Rules rules;
    rules.minimumSize = 24;
    Queried run = Query({{FALSE, ERROR_INSUFFICIENT_BUFFER, 10}, {TRUE, 0, 10}}, rules);
    EXPECT_EQ(run.calls, "null/0 buffer/24+zeroed");
    EXPECT_EQ(run.size, 24u);
    run = Query({{FALSE, ERROR_INSUFFICIENT_BUFFER, 30}, {TRUE, 0, 30}}, rules);
    EXPECT_EQ(run.calls, "null/0 buffer/30+zeroed");
}

// What only the simulated spooler can show: the preconditions it holds every call to
// (recorded as contract violations where Windows leaves the outcome undefined), the
// whole of a caller's buffer written as the RPC stubs write it, the event log of
// printer handles closed, and injected failures. What Windows and the machine can both
// be asked is in tests/contract/spooler_test.cpp.
#include <cstring>
#include <vector>

#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/spooler.h"
#include "platform/sim/control/verifier.h"
#include "platform/spooler.h"
#include "tests/support/sim_readings.h"
#include "tests/support/sim_fixture.h"

namespace {

class SimSpooler : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        sim::AddPrinterDriver(u"D");
        ASSERT_TRUE(sim::AddLocalPrinter(u"A", u"D", u"LPT1:"));
    }
    static HANDLE Open(const char16_t* name, ACCESS_MASK access = PRINTER_ALL_ACCESS)
    {
        std::u16string n = name;
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        HANDLE printer = nullptr;
        EXPECT_TRUE(::OpenPrinterW(&n[0], &printer, &defaults)) << Utf8(n);
        return printer;
    }
    // The violations recorded since the last look, each as "FUNCTION: RULE", taken so
    // that the test does not fail for them at its end.
    static std::vector<std::string> NewViolations()
    {
        std::vector<std::string> out;
        for (const sim::Violation& v : sim::TakeViolations()) out.push_back(v.function + ": " + v.rule);
        return out;
    }
};

}  // namespace

TEST_F(SimSpooler, SetPrinterCommandsTakeLevelZeroAndNoRecord)
{
    HANDLE printer = Open(u"A");
    DWORD status = 0;
    BYTE record[sizeof(PRINTER_INFO_2W)] = {};
    struct Case {
        DWORD level;
        LPBYTE info;
        DWORD command;
        BOOL result;
        DWORD error;
        const char* violation;  // null: none
    } cases[] = {
        {0, nullptr, PRINTER_CONTROL_PURGE, TRUE, 0, nullptr},
        {0, nullptr, PRINTER_CONTROL_PAUSE, TRUE, 0, nullptr},
        {0, reinterpret_cast<LPBYTE>(&status), PRINTER_CONTROL_SET_STATUS, TRUE, 0, nullptr},
        {0, record, PRINTER_CONTROL_PURGE, TRUE, 0,
         "SetPrinterW: with Level 0 and a command other than PRINTER_CONTROL_SET_STATUS, pPrinter must be NULL"},
        {0, record, PRINTER_CONTROL_RESUME, TRUE, 0,
         "SetPrinterW: with Level 0 and a command other than PRINTER_CONTROL_SET_STATUS, pPrinter must be NULL"},
        {2, record, PRINTER_CONTROL_PURGE, FALSE, ERROR_INVALID_LEVEL, "SetPrinterW: a command needs Level 0"},
        {0, nullptr, PRINTER_CONTROL_SET_STATUS, FALSE, ERROR_INVALID_PARAMETER,
         "SetPrinterW: PRINTER_CONTROL_SET_STATUS needs pPrinter to point at the status"},
        {0, nullptr, 99, FALSE, ERROR_INVALID_PRINTER_COMMAND, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " command " + std::to_string(c.command));
        ::SetLastError(0);
        EXPECT_EQ(::SetPrinterW(printer, c.level, c.info, c.command), c.result);
        if (!c.result) {
            EXPECT_EQ(::GetLastError(), c.error);
        }
        std::vector<std::string> expected;
        if (c.violation) expected.push_back(c.violation);
        EXPECT_EQ(NewViolations(), expected);
    }
    EXPECT_TRUE(::ClosePrinter(printer));
}

TEST_F(SimSpooler, PrinterHandlesClosedTwiceUsedAfterCloseOrOfAnotherKindAreViolations)
{
    HANDLE printer = Open(u"A");
    ASSERT_TRUE(::ClosePrinter(printer));
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD needed = 0;
    for (HANDLE h : {printer, event, reinterpret_cast<HANDLE>(0x1234), static_cast<HANDLE>(nullptr)}) {
        ::SetLastError(0);
        EXPECT_FALSE(::GetPrinterW(h, 2, nullptr, 0, &needed));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(::DeletePrinter(h));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(::ClosePrinter(h));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    std::vector<std::string> expected;
    for (const char* rule : {"a handle is not used after it was closed",
                             "hPrinter must be a handle of the kind the function takes (printer)",
                             "hPrinter must be a handle the system handed out (printer)"})
        for (const char* f : {"GetPrinterW", "DeletePrinter", "ClosePrinter"})
            expected.push_back(std::string(f) + ": " + rule);
    EXPECT_EQ(NewViolations(), expected) << "NULL is checked, not a violation";
    EXPECT_TRUE(::CloseHandle(event));
    EXPECT_EQ(sim::Printers().size(), 1u);
}

TEST_F(SimSpooler, SizedCallsCheckTheirPointersAndWriteTheWholeBuffer)
{
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 8, &needed, &count));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    EXPECT_FALSE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, nullptr, &count));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
    EXPECT_FALSE(::EnumPortsW(nullptr, 2, nullptr, 0, &needed, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
    HANDLE printer = Open(u"A");
    EXPECT_FALSE(::GetPrinterW(printer, 2, nullptr, 4, &needed));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));

    // A byte count read as a count of characters is too small, and fails.
    EXPECT_FALSE(::GetPrinterW(printer, 2, nullptr, 0, &needed));
    std::vector<BYTE> buffer(needed * 2 + 64, 0xCC);
    EXPECT_FALSE(::GetPrinterW(printer, 2, buffer.data(), needed / sizeof(WCHAR), &needed));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    // The strings go to the end of the size given, every byte up to it is written,
    // and nothing past it.
    const DWORD given = needed * 2;
    ASSERT_TRUE(::GetPrinterW(printer, 2, buffer.data(), given, &needed));
    auto* record = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    EXPECT_EQ(reinterpret_cast<BYTE*>(record->pPrinterName) + 2 * sizeof(WCHAR), buffer.data() + given);
    EXPECT_EQ(Utf8(record->pPrinterName), "A");
    EXPECT_EQ(buffer[given - needed], 0) << "the gap between the record and its strings";
    EXPECT_EQ(buffer[given], 0xCC);
    EXPECT_TRUE(::ClosePrinter(printer));
    EXPECT_TRUE(NewViolations().empty());
}

TEST_F(SimSpooler, TheEventLogShowsEveryCloseAndEveryCallCanBeMadeToFail)
{
    HANDLE server = nullptr;
    ASSERT_TRUE(::OpenPrinterW(nullptr, &server, nullptr));
    HANDLE printer = Open(u"A");
    sim::FailCall("ClosePrinter", ERROR_NOT_ENOUGH_MEMORY, 1);
    ::SetLastError(0);
    EXPECT_FALSE(::ClosePrinter(printer));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(sim::OpenPrinterHandleCount(), 2u) << "a close that failed leaves the handle open";
    EXPECT_TRUE(::DeletePrinter(printer));
    EXPECT_TRUE(::ClosePrinter(printer));
    EXPECT_TRUE(::ClosePrinter(server));
    EXPECT_EQ(LogWith("close-printer"),
              (std::vector<std::string>{"close-printer \"A\": error 8", "close-printer \"A\": printer removed",
                                        "close-printer (print server)"}));

    WCHAR name[8];
    DWORD chars = 8, needed = 0, count = 0;
    std::u16string a = u"A";
    for (const char* function : {"GetDefaultPrinterW", "EnumPrintersW", "OpenPrinterW", "EnumPortsW"})
        sim::FailCall(function, ERROR_ACCESS_DENIED, 1);
    EXPECT_FALSE(::GetDefaultPrinterW(name, &chars));
    EXPECT_FALSE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_FALSE(::OpenPrinterW(&a[0], &printer, nullptr));
    EXPECT_FALSE(::EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

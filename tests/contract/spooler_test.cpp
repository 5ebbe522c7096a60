// The spooler as the removal and port listing use it: printer enumeration with
// two-call sizing, opening, purging and deleting printers, deleting drivers, and
// listing ports. Wine's known differences are pinned where they occur.
#include <algorithm>
#include <cstring>

#include "platform/spooler.h"
#include "tests/contract/fixture.h"

namespace {

const char kDriver[] = "Korvel Contract Driver";
const char kPrinter[] = "Korvel Contract A";
const char kCopy[] = "Korvel Contract A (Copy 1)";

class Spooler : public Contract {
protected:
    void SetUp() override
    {
        Contract::SetUp();
        contract::RemovePrinters(W("Korvel Contract"), W(kDriver));
        ASSERT_TRUE(contract::AddPrinterDriver(W(kDriver)));
        ASSERT_TRUE(contract::AddLocalPrinter(W(kPrinter), W("LPT1:"), W(kDriver)));
        ASSERT_TRUE(contract::AddLocalPrinter(W(kCopy), W("LPT2:"), W(kDriver)));
    }
    void TearDown() override
    {
        contract::RemovePrinters(W("Korvel Contract"), W(kDriver));
        Contract::TearDown();
    }

    struct Printer {
        std::string name, port, driver;
    };
    // The local printers, by the program's two calls.
    static std::vector<Printer> LocalPrinters()
    {
        DWORD needed = 0, count = 0;
        std::vector<Printer> result;
        if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count)) {
            EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return result;
        }
        std::vector<BYTE> buffer(needed);
        EXPECT_TRUE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count));
        auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            result.push_back({text::ToUtf8(records[i].pPrinterName), text::ToUtf8(records[i].pPortName),
                              text::ToUtf8(records[i].pDriverName)});
        return result;
    }
    static bool Has(const std::vector<Printer>& printers, const char* name)
    {
        return std::any_of(printers.begin(), printers.end(), [&](const Printer& p) { return p.name == name; });
    }
    HANDLE OpenForAll(const char* name)
    {
        WString n = W(name);
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        return ::OpenPrinterW(&n[0], &printer, &defaults) ? printer : nullptr;
    }
};

TEST_F(Spooler, EnumerationIsSizedByAFirstCallAndRefusesASmallerBuffer)
{
    DWORD needed = 0, count = 99;
    ::SetLastError(0);
    EXPECT_FALSE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GE(needed, 2u * sizeof(PRINTER_INFO_2W));
    EXPECT_EQ(count, 0u);

    std::vector<BYTE> buffer(needed);
    DWORD again = 0;
    ::SetLastError(0);
    EXPECT_FALSE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed - 1, &again, &count));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(again, needed);

    std::vector<Printer> printers = LocalPrinters();
    ASSERT_TRUE(Has(printers, kPrinter));
    ASSERT_TRUE(Has(printers, kCopy));
    for (const Printer& p : printers) {
        if (p.name == kPrinter) {
            EXPECT_EQ(p.port, "LPT1:");
            EXPECT_EQ(p.driver, kDriver);
        }
    }
}

TEST_F(Spooler, OpeningAMissingPrinterFailsWithInvalidPrinterName)
{
    WString name = W("Korvel Contract Missing");
    HANDLE printer = nullptr;
    ::SetLastError(0);
    EXPECT_FALSE(::OpenPrinterW(&name[0], &printer, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST_F(Spooler, OpenPrinterInformationIsSizedByAFirstCall)
{
    HANDLE printer = OpenForAll(kPrinter);
    ASSERT_NE(printer, nullptr);
    DWORD needed = 0;
    ::SetLastError(0);
    EXPECT_FALSE(::GetPrinterW(printer, 2, nullptr, 0, &needed));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GE(needed, static_cast<DWORD>(sizeof(PRINTER_INFO_2W)));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(::GetPrinterW(printer, 2, buffer.data(), needed, &needed));
    EXPECT_EQ(U8(reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPrinterName), kPrinter);
    EXPECT_TRUE(::ClosePrinter(printer));
}

TEST_F(Spooler, PurgeOfAnOpenPrinter)
{
    HANDLE printer = OpenForAll(kPrinter);
    ASSERT_NE(printer, nullptr);
    ::SetLastError(0);
    BOOL purged = ::SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_PURGE);
    if (contract::OnWine()) {
        contract::KnownWineDifference("SetPrinterW level 0 with PRINTER_CONTROL_PURGE fails with ERROR_INVALID_LEVEL");
        EXPECT_FALSE(purged);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    } else {
        EXPECT_TRUE(purged);
    }
    EXPECT_TRUE(::ClosePrinter(printer));
}

TEST_F(Spooler, DeletedPrinterIsGoneAndItsDriverCanGoOnceUnused)
{
    for (const char* name : {kCopy, kPrinter}) {
        HANDLE printer = OpenForAll(name);
        ASSERT_NE(printer, nullptr) << name;
        EXPECT_TRUE(::DeletePrinter(printer)) << name;
        EXPECT_TRUE(::ClosePrinter(printer)) << name;
    }
    std::vector<Printer> printers = LocalPrinters();
    EXPECT_FALSE(Has(printers, kPrinter));
    EXPECT_FALSE(Has(printers, kCopy));
    WString gone = W(kPrinter);
    HANDLE printer = nullptr;
    EXPECT_FALSE(::OpenPrinterW(&gone[0], &printer, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));

    WString driver = W(kDriver);
    ::SetLastError(0);
    BOOL deleted = ::DeletePrinterDriverExW(nullptr, nullptr, &driver[0], DPD_DELETE_UNUSED_FILES, 3);
    if (contract::OnWine()) {
        contract::KnownWineDifference(
            "DeletePrinterDriverExW with DPD_DELETE_UNUSED_FILES fails with ERROR_INVALID_PARAMETER");
        EXPECT_FALSE(deleted);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_TRUE(::DeletePrinterDriverExW(nullptr, nullptr, &driver[0], 0, 0)) << "without flags it works";
    } else {
        EXPECT_TRUE(deleted);
    }
}

TEST_F(Spooler, DeletingAnUnknownDriverFails)
{
    WString driver = W("Korvel Contract No Such Driver");
    ::SetLastError(0);
    EXPECT_FALSE(::DeletePrinterDriverExW(nullptr, nullptr, &driver[0], 0, 0));
    if (contract::OnWine()) {
        contract::KnownWineDifference(
            "DeletePrinterDriverExW of an unknown driver fails without setting an error code");
        EXPECT_EQ(::GetLastError(), 0u);
    } else {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER));
    }
}

TEST_F(Spooler, AddingAPrinterUnderAnExistingNameIsRefusedInAnyLetterCase)
{
    for (const char* spelling : {kPrinter, "korvel CONTRACT A"}) {
        WString name = W(spelling), port = W("LPT3:"), driver = W(kDriver), processor = W("WinPrint"), type = W("RAW");
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &name[0];
        info.pPortName = &port[0];
        info.pDriverName = &driver[0];
        info.pPrintProcessor = &processor[0];
        info.pDatatype = &type[0];
        info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        ::SetLastError(0);
        HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        DWORD error = ::GetLastError();
        bool added = printer != nullptr;
        if (printer) ::ClosePrinter(printer);
        if (contract::OnWine()) {
            contract::KnownWineDifference(
                "AddPrinterW under an existing printer's name succeeds and changes that printer");
            EXPECT_TRUE(added) << spelling;
        } else {
            EXPECT_FALSE(added) << spelling;
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_PRINTER_ALREADY_EXISTS)) << spelling;
        }
    }
    int named = 0;
    for (const Printer& p : LocalPrinters())
        named += text::EqualNoCaseAscii(W(p.name.c_str()).c_str(), p.name.size(), W(kPrinter).c_str(),
                                        std::strlen(kPrinter));
    EXPECT_EQ(named, 1) << "never two printers whose names differ only in letter case";
}

TEST_F(Spooler, PortsAreSizedByAFirstCallAndListTheLocalPorts)
{
    DWORD needed = 0, count = 99;
    ::SetLastError(0);
    EXPECT_FALSE(::EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GT(needed, 0u);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(::EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count));
    auto* ports = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) {
        names.push_back(U8(ports[i].pPortName));
        EXPECT_NE(ports[i].pMonitorName, nullptr);
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "LPT1:"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "COM1:"), names.end());
}

TEST_F(Spooler, APrinterDeletedWhileAnotherHandleHoldsItGoesWithTheLastHandle)
{
    // The copy goes first, so that only the printer uses the driver.
    HANDLE copy = OpenForAll(kCopy);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(::DeletePrinter(copy));
    EXPECT_TRUE(::ClosePrinter(copy));

    WString name = W(kPrinter), driver = W(kDriver);
    HANDLE held = nullptr;
    ASSERT_TRUE(::OpenPrinterW(&name[0], &held, nullptr));
    HANDLE deleting = OpenForAll(kPrinter);
    ASSERT_NE(deleting, nullptr);
    EXPECT_TRUE(::DeletePrinter(deleting));
    EXPECT_TRUE(::ClosePrinter(deleting));

    // Gone from the list and from OpenPrinterW at once...
    EXPECT_FALSE(Has(LocalPrinters(), kPrinter));
    HANDLE again = nullptr;
    ::SetLastError(0);
    BOOL reopened = ::OpenPrinterW(&name[0], &again, nullptr);
    DWORD openError = ::GetLastError();
    if (again) ::ClosePrinter(again);
    ::SetLastError(0);
    BOOL driverDeleted = ::DeletePrinterDriverExW(nullptr, nullptr, &driver[0], 0, 0);
    DWORD driverError = ::GetLastError();
    if (contract::OnWine()) {
        contract::KnownWineDifference(
            "a printer deleted while another handle holds it still opens by name, and its driver goes at once");
        EXPECT_TRUE(reopened);
        EXPECT_TRUE(driverDeleted);
    } else {
        EXPECT_FALSE(reopened);
        EXPECT_EQ(openError, static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
        // ...but the printer object lives on, with its driver, until its last handle is closed.
        EXPECT_FALSE(driverDeleted);
        EXPECT_EQ(driverError, static_cast<DWORD>(ERROR_PRINTER_DRIVER_IN_USE));
        DWORD needed = 0;
        ::GetPrinterW(held, 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        ASSERT_TRUE(::GetPrinterW(held, 2, buffer.data(), needed, &needed));
        EXPECT_NE(reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->Status & PRINTER_STATUS_PENDING_DELETION, 0u);
    }
    EXPECT_TRUE(::ClosePrinter(held));
    if (!contract::OnWine()) {
        EXPECT_TRUE(::DeletePrinterDriverExW(nullptr, nullptr, &driver[0], 0, 0));
    }
}

TEST_F(Spooler, PrinterNamesIgnoreLetterCase)
{
    // Opened, made the default and deleted under another spelling.
    WString other = W("KORVEL contract a");
    HANDLE printer = nullptr;
    ASSERT_TRUE(::OpenPrinterW(&other[0], &printer, nullptr));
    EXPECT_TRUE(::ClosePrinter(printer));

    ASSERT_TRUE(::SetDefaultPrinterW(other.c_str()));
    WCHAR chosen[256];
    DWORD chars = 256;
    ASSERT_TRUE(::GetDefaultPrinterW(chosen, &chars));
    EXPECT_TRUE(text::EqualNoCaseAscii(chosen, text::Length(chosen), other.data(), other.size())) << U8(chosen);

    HANDLE deleting = OpenForAll("korvel CONTRACT a (copy 1)");
    ASSERT_NE(deleting, nullptr);
    EXPECT_TRUE(::DeletePrinter(deleting));
    EXPECT_TRUE(::ClosePrinter(deleting));
    std::vector<Printer> printers = LocalPrinters();
    EXPECT_FALSE(Has(printers, kCopy));
    EXPECT_TRUE(Has(printers, kPrinter)) << "listed under its own spelling";

    // Beyond ASCII as well: Latin-1, Cyrillic and Greek letters.
    ASSERT_TRUE(contract::AddLocalPrinter(W("Korvel Contract ÄЖΣ"), W("LPT1:"), W(kDriver)));
    WString lower = W("korvel contract äжσ");
    printer = nullptr;
    EXPECT_TRUE(::OpenPrinterW(&lower[0], &printer, nullptr));
    if (printer) ::ClosePrinter(printer);
}

}  // namespace

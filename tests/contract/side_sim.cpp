// The simulated machine's side of the contract tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/registry.h"
#include "platform/sim/control/spooler.h"
#include "platform/sim/control/verifier.h"
#include "tests/contract/side.h"

namespace contract {

namespace {
std::filesystem::path g_root;
}

void SetUpMachine()
{
    sim::ResetMachine();
    char pattern[] = "/tmp/korvel-contract.XXXXXX";
    const char* made = mkdtemp(pattern);
    g_root = made ? made : "/tmp";
    std::filesystem::create_directories(g_root / "contract");
    sim::MapDrive('C', g_root.string());
}

void TearDownMachine()
{
    sim::ResetMachine();
    std::error_code ec;
    if (g_root.string().rfind("/tmp/korvel-contract.", 0) == 0) std::filesystem::remove_all(g_root, ec);
}

bool OnWine() { return false; }
void KnownWineDifference(const char*) {}

bool PrinterUiStandIn() { return true; }

bool EqualUpperCasedAsOnXp(const WCHAR* a, const WCHAR* b, size_t length)
{
    return text::EqualIgnoringCase(a, length, b, length);
}

void ExpectViolation(const char* function)
{
    std::vector<sim::Violation> violations = sim::TakeViolations();
    bool found = false;
    std::string others;
    for (const sim::Violation& v : violations) {
        if (v.function == function)
            found = true;
        else
            others += "\n  " + v.Text();
    }
    EXPECT_TRUE(found) << "no violation of " << function << " was recorded";
    EXPECT_TRUE(others.empty()) << "other violations:" << others;
}

WString TestDir() { return TEXT("C:\\contract\\"); }

void WriteTestFile(const WString& name, const std::string& bytes)
{
    std::ofstream out(g_root / "contract" / text::ToUtf8(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool CreateRegistryKey(const WString& path)
{
    sim::CreateRegistryKey(HKEY_CURRENT_USER, path);
    return true;
}

bool SetRegistryString(const WString& path, const WString& name, const WString& value)
{
    sim::SetRegistryValue(HKEY_CURRENT_USER, path, name, sim::RegSz(value));
    return true;
}

bool SetRegistryDword(const WString& path, const WString& name, DWORD value)
{
    sim::SetRegistryValue(HKEY_CURRENT_USER, path, name, sim::RegDword(value));
    return true;
}

void DeleteRegistryTree(const WString& path) { sim::DeleteRegistryKey(HKEY_CURRENT_USER, path); }

bool AddPrinterDriver(const WString& driver)
{
    sim::AddPrinterDriver(driver);
    return true;
}

bool AddLocalPrinter(const WString& name, const WString& port, const WString& driver)
{
    return sim::AddLocalPrinter(name, driver, port);
}

// Every test starts on a machine reset to no printers.
void RemovePrinters(const WString&, const WString&) {}

}  // namespace contract

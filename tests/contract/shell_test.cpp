// Command lines split as the printer-UI entry splits its arguments: a name or path
// that the split takes apart differently from what the wizard meant would install
// the wrong thing, so the simulated split must be the real one. And the printer-UI
// entry itself as rundll32 runs it, where a stand-in carries it out: the simulated
// one and, under Wine, tools/printui.
#include <algorithm>

#include "platform/shell.h"
#include "platform/spooler.h"
#include "platform/windowing.h"
#include "tests/contract/fixture.h"

namespace {

using Args = std::vector<std::string>;

class Shell : public Contract {
protected:
    static Args Split(const char* utf8)
    {
        WString line = W(utf8);
        int argc = -1;
        LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &argc);
        Args out;
        for (int i = 0; argv && i < argc; ++i) out.push_back(U8(argv[i]));
        EXPECT_TRUE(argv && argv[argc] == nullptr) << "the array ends with a null pointer";
        ::LocalFree(argv);
        return out;
    }
};

TEST_F(Shell, CommandLinesSplitAtBlanksWithQuotesAndBackslashes)
{
    EXPECT_EQ(Split("x \"a b\"   c\t d "), (Args{"x", "a b", "c", "d"}));
    // 2n backslashes and a quotation mark: n backslashes, and the mark toggles quoting.
    EXPECT_EQ(Split("x a\\\\\\\\\"b c\" d"), (Args{"x", "a\\\\b c", "d"}));
    // 2n+1 backslashes and a quotation mark: n backslashes and a literal mark.
    EXPECT_EQ(Split("x a\\\\\\\"b c"), (Args{"x", "a\\\"b", "c"}));
    // Backslashes before anything else stand as they are.
    EXPECT_EQ(Split("x a\\\\\\b d\"e f\"g h"), (Args{"x", "a\\\\\\b", "de fg", "h"}));
    // Within quotes, "" gives a literal mark and ends the quoting; """ inside keeps it.
    EXPECT_EQ(Split("x \"a\"\"b c\""), (Args{"x", "a\"b", "c"}));
    EXPECT_EQ(Split("x \"a\"\"\"b c\""), (Args{"x", "a\"b c"}));
    EXPECT_EQ(Split("x \"\" b"), (Args{"x", "", "b"}));
    // The program name follows rules of its own.
    EXPECT_EQ(Split("\"C:\\a b\\\" y"), (Args{"C:\\a b\\", "y"}));
    EXPECT_EQ(Split("  a b"), (Args{"", "a", "b"}));
    // An empty line stands for the program itself.
    WCHAR module[MAX_PATH] = {0};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    EXPECT_EQ(Split(""), Args{U8(module)});
}

TEST_F(Shell, QuotedValuesThatWouldBreakThePrinterUiCommand)
{
    // A quotation mark in a name ends its quoted part early.
    EXPECT_EQ(Split("/if /n \"A\" /r \"FILE:\" /f \"x\""), (Args{"/if", "/n", "A", "/r", "FILE:", "/f", "x"}));
    EXPECT_EQ(Split("/n \"A\"B\" /f \"x\""), (Args{"/n", "AB /f x"}));
    // A path ending in a backslash turns \" into a mark and swallows the next switch.
    EXPECT_EQ(Split("/f \"D:\\dir\\\" /r \"LPT1:\" /m \"A\" "), (Args{"/f", "D:\\dir\" /r LPT1: /m A "}));
}

class PrinterUi : public Contract {
protected:
    void SetUp() override
    {
        Contract::SetUp();
        if (!contract::PrinterUiStandIn()) GTEST_SKIP() << "the system's printer-UI entry needs a real driver package";
        contract::RemovePrinters(W("Korvel Contract P"), W("KORVEL CONTRACT P"));
        contract::WriteTestFile(
            W("p.inf"),
            "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n[Manufacturer]\r\n"
            "K=K,NTamd64\r\n[K]\r\n\"KORVEL CONTRACT P\" = P.GPD,USBPRINT\\KORVELP1234,KORVEL_P1234\r\n"
            "[K.NTamd64]\r\n\"KORVEL CONTRACT P\" = P.GPD,USBPRINT\\KORVELP1234,KORVEL_P1234\r\n");
    }
    void TearDown() override
    {
        if (contract::PrinterUiStandIn()) contract::RemovePrinters(W("Korvel Contract P"), W("KORVEL CONTRACT P"));
        Contract::TearDown();
    }
    // Runs rundll32 from the system folder with the parameters, as the wizard does, and
    // waits for it to end.
    static void RunPrinterUi(const WString& parameters)
    {
        WCHAR program[MAX_PATH];
        UINT n = ::GetSystemDirectoryW(program, MAX_PATH);
        ASSERT_TRUE(n > 0 && n < MAX_PATH - 14);
        text::Append(program, MAX_PATH, TEXT("\\rundll32.exe"));
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpVerb = TEXT("open");
        info.lpFile = program;
        info.lpParameters = parameters.c_str();
        info.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(::ShellExecuteExW(&info)) << ::GetLastError();
        ASSERT_NE(info.hProcess, nullptr);
        EXPECT_EQ(::WaitForSingleObject(info.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
        ::CloseHandle(info.hProcess);
    }
    // "NAME on PORT with DRIVER" for each local printer of the test.
    static std::vector<std::string> OurPrinters()
    {
        DWORD needed = 0, count = 0;
        ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed);
        std::vector<std::string> out;
        if (!needed || !::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
            return out;
        auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            std::string name = U8(records[i].pPrinterName);
            if (name.find("ONTRACT P") == std::string::npos && name.find("ontract P") == std::string::npos) continue;
            out.push_back(name + " on " + U8(records[i].pPortName) + " with " + U8(records[i].pDriverName));
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

// Installing under the name of an existing printer makes a copy, "NAME (Copy n)", as
// the system's entry does, also when the names differ only in letter case: the copies
// an installation leaves are what the wizard's removal of a name's family is for.
TEST_F(PrinterUi, InstallingUnderATakenNameMakesACopy)
{
    const WString inf = contract::TestDir() + W("p.inf");
    for (const char* run : {"/n \"Korvel Contract P\" /r \"LPT1:\"", "/n \"Korvel Contract P\" /r \"LPT2:\"",
                            "/n \"KORVEL CONTRACT P\" /r \"LPT3:\""}) {
        SCOPED_TRACE(run);
        RunPrinterUi(W("printui.dll,PrintUIEntry /if ") + W(run) + W(" /f \"") + inf +
                     W("\" /m \"Korvel Contract P\""));
    }
    EXPECT_EQ(OurPrinters(), (std::vector<std::string>{"KORVEL CONTRACT P (Copy 2) on LPT3: with KORVEL CONTRACT P",
                                                       "Korvel Contract P (Copy 1) on LPT2: with KORVEL CONTRACT P",
                                                       "Korvel Contract P on LPT1: with KORVEL CONTRACT P"}));
}

}  // namespace

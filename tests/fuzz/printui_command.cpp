// The printer-UI command lines round trip: every command the wizard composes, split
// as the printer-UI entry splits it (the simulated CommandLineToArgvW, which follows
// Windows' rules), gives back each value exactly, whatever backslashes, blanks and
// other characters the name, the INF path and the port hold; a value with a
// quotation mark refuses the command instead.
//
// Input: bytes 0 to 2 give the lengths of the name, the path and the port (up to
// their field capacities less the NUL); the rest are their characters, UTF-16LE, where
// a low byte below 8 picks one of the characters that matter to the split (backslash,
// quotation mark, blank, tab) or a plain one. A NUL ends a value, as it ends the
// field's text.
#include "installer/printui_command_lines.h"
#include "platform/shell.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const char16_t kPicks[8] = {u'\\', u'"', u' ', u'\t', u'A', u'(', u':', u'中'};

std::u16string Value(fuzz::Input& in, size_t length)
{
    std::u16string out;
    for (size_t i = 0; i < length; ++i) {
        uint16_t w = in.Word();
        char16_t c = (w & 0xFF) < 8 ? kPicks[w & 7] : static_cast<char16_t>(w);
        if (c == 0) break;
        out += c;
    }
    return out;
}

bool HasQuote(const std::u16string& s) { return s.find(u'"') != std::u16string::npos; }

std::vector<std::u16string> Split(const WCHAR* command)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(command, &argc);
    FUZZ_CHECK(argv != nullptr);
    std::vector<std::u16string> out(argv, argv + argc);
    ::LocalFree(argv);
    return out;
}

using Compose1 = bool (*)(WCHAR*, size_t, const WCHAR*);

void CheckPrinterCommand(Compose1 compose, const char16_t* action, const std::u16string& name)
{
    auto out = fuzz::Exact<WCHAR>(printui::kCommandCapacity, u'#');
    bool ok = compose(out.get(), printui::kCommandCapacity, name.c_str());
    FUZZ_CHECK(ok == !HasQuote(name));
    if (!ok) {
        FUZZ_CHECK(out[0] == 0);
        return;
    }
    FUZZ_CHECK(Split(out.get()) ==
               (std::vector<std::u16string>{u"PRINTUI.DLL,PrintUIEntry", action, u"/q", u"/n", name}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    size_t nameLength = in.Byte() % 200, infLength = in.Byte() % 256, portLength = in.Byte() % 200;
    std::u16string name = Value(in, nameLength), inf = Value(in, infLength), port = Value(in, portLength);

    auto out = fuzz::Exact<WCHAR>(printui::kCommandCapacity, u'#');
    bool ok =
        printui::ComposeInstallCommand(out.get(), printui::kCommandCapacity, name.c_str(), inf.c_str(), port.c_str());
    FUZZ_CHECK(ok == !(HasQuote(name) || HasQuote(inf) || HasQuote(port)));
    if (ok) {
        FUZZ_CHECK(Split(out.get()) == (std::vector<std::u16string>{u"PRINTUI.DLL,PrintUIEntry", u"/if", u"/n", name,
                                                                    u"/f", inf, u"/r", port, u"/m", name}));
    } else {
        FUZZ_CHECK(out[0] == 0);
    }
    CheckPrinterCommand(&printui::ComposeSetDefaultCommand, u"/y", name);
    CheckPrinterCommand(&printui::ComposeTestPageCommand, u"/k", name);
    return 0;
}

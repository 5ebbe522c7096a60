// The program's command line: any text after the program name, split as Windows
// splits it (CommandLineToArgvW of the simulated machine) and read by
// cmdline::Parse, against the plain rule; the same reading whatever the letter case
// and mark of the switches; and a command line composed again from what was read,
// with Windows' quoting, reads the same.
//
// Input: the arguments, UTF-16LE.
#include <vector>

#include "app/CommandLine.h"
#include "platform/shell.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::vector<WString> Split(const std::u16string& arguments)
{
    std::u16string line = u"\"D:\\KorvelSetup.exe\" " + arguments;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    FUZZ_CHECK(argv != nullptr);
    std::vector<WString> out;
    for (int i = 1; i < count; ++i) out.emplace_back(argv[i]);
    ::LocalFree(argv);
    return out;
}

// The plain rule: a switch is '/' or '-' and one of the names in any letter case;
// a value switch takes the next argument unless there is none, it is empty or it is
// a switch; a value switch twice, any other word, /uninstall without /model or with a
// switch of the installation are faults; a switch of the installation makes the run
// quiet.
std::u16string Folded(const WString& s)
{
    std::u16string out;
    for (WCHAR c : s) out += (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
    return out;
}
std::u16string SwitchName(const WString& argument)
{
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return u"";
    std::u16string name = Folded(argument.substr(1));
    for (const char16_t* quiet : {u"quiet", u"q", u"s", u"qn", u"silent", u"verysilent", u"passive"})
        if (name == quiet) return u"quiet";
    for (const char16_t* known :
         {u"list", u"?", u"nodefault", u"testpage", u"repair", u"uninstall", u"norestart", u"model", u"port", u"log"})
        if (name == known) return name;
    return u"";
}

cmdline::Options Plain(const std::vector<WString>& args)
{
    cmdline::Options o;
    bool fault = false;
    int models = 0, ports = 0, logs = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        std::u16string name = SwitchName(args[i]);
        if (name == u"quiet")
            o.quiet = true;
        else if (name == u"list")
            o.list = true;
        else if (name == u"?")
            o.usage = true;
        else if (name == u"nodefault")
            o.noDefault = true;
        else if (name == u"testpage")
            o.testPage = true;
        else if (name == u"repair")
            o.repair = true;
        else if (name == u"uninstall")
            o.uninstall = true;
        else if (name == u"norestart")
            o.noRestart = true;
        else if (name.empty())
            fault = true;
        else {
            bool hasValue = i + 1 < args.size() && !args[i + 1].empty() && SwitchName(args[i + 1]).empty();
            if (!hasValue) {
                fault = true;
                continue;
            }
            const WString& value = args[++i];
            if (name == u"model") o.model = value, ++models;
            if (name == u"port") o.port = value, ++ports;
            if (name == u"log") o.logFile = value, ++logs;
        }
    }
    if (models > 1 || ports > 1 || logs > 1) fault = true;
    if (o.HasInstallSwitches()) o.quiet = true;
    if (o.uninstall && (o.model.empty() || !o.port.empty() || o.noDefault || o.testPage || o.repair)) fault = true;
    if (fault) o.error = u"fault";
    return o;
}

bool Same(const cmdline::Options& a, const cmdline::Options& b)
{
    return a.quiet == b.quiet && a.list == b.list && a.usage == b.usage && a.noDefault == b.noDefault &&
           a.testPage == b.testPage && a.repair == b.repair && a.uninstall == b.uninstall &&
           a.noRestart == b.noRestart && a.model == b.model && a.port == b.port && a.logFile == b.logFile &&
           a.error.empty() == b.error.empty();
}

// Windows' quoting of one argument: in quotation marks, with the backslashes before a
// quotation mark (and before the closing one) doubled and each quotation mark escaped.
std::u16string Quoted(const WString& argument)
{
    std::u16string out = u"\"";
    size_t backslashes = 0;
    for (WCHAR c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, u'\\');
    return out + u"\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    std::u16string arguments = input.RestUtf16();
    std::vector<WString> args = Split(arguments);
    cmdline::Options options = cmdline::Parse(args);
    FUZZ_CHECK(Same(options, Plain(args)));

    // Switches in other letters and marks read the same.
    std::vector<WString> other = args;
    for (WString& a : other) {
        if (SwitchName(a).empty()) continue;
        for (WCHAR& c : a) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<WCHAR>(c - 32);
            else if (c >= 'A' && c <= 'Z')
                c = static_cast<WCHAR>(c + 32);
        }
        a[0] = a[0] == '/' ? '-' : '/';
    }
    FUZZ_CHECK(Same(cmdline::Parse(other), options));

    // What was read, written out again as a deployment tool would, reads the same.
    if (options.error.empty()) {
        std::u16string line;
        if (options.quiet) line += u" /quiet";
        if (options.list) line += u" /list";
        if (options.usage) line += u" /?";
        if (options.noDefault) line += u" /nodefault";
        if (options.testPage) line += u" /testpage";
        if (options.repair) line += u" /repair";
        if (options.uninstall) line += u" /uninstall";
        if (options.noRestart) line += u" /norestart";
        if (!options.model.empty()) line += u" /model " + Quoted(options.model);
        if (!options.port.empty()) line += u" /port " + Quoted(options.port);
        if (!options.logFile.empty()) line += u" /log " + Quoted(options.logFile);
        FUZZ_CHECK(Same(cmdline::Parse(Split(line)), options));
    }
    return 0;
}

#include "app/CommandLine.h"

#include "app/Version.h"

namespace cmdline {

// clang-format off
const WCHAR kUsage[] =
    TEXT("Korvel Printer Driver Setup ") KORVEL_VERSION_W TEXT("\n")
    TEXT("\n")
    TEXT("KorvelSetup.exe                  the setup wizard\n")
    TEXT("KorvelSetup.exe /quiet [/model MODEL] [/port PORT] [/nodefault] [/testpage] [/repair] [/log FILE]\n")
    TEXT("KorvelSetup.exe /quiet /uninstall /model MODEL [/log FILE]\n")
    TEXT("KorvelSetup.exe /list\n")
    TEXT("\n")
    TEXT("/quiet            no window and no box; the exit code and the log tell the outcome\n")
    TEXT("                  (also /q /s /qn /silent /verysilent /passive, and any switch below)\n")
    TEXT("/model MODEL      the model, as /list shows it (default: the attached USB printer)\n")
    TEXT("/port PORT        the port (default: the attached printer's USB port, else LPT1:)\n")
    TEXT("/nodefault        do not make it the default printer\n")
    TEXT("/testpage         print a test page after installing\n")
    TEXT("/repair           replace the printer even when it is in place\n")
    TEXT("/uninstall        remove the model's printer, its copies and its driver\n")
    TEXT("/norestart        accepted; the setup never restarts the PC\n")
    TEXT("/log FILE         append each step to FILE (default: %TEMP%\\KorvelSetup.log)\n")
    TEXT("/list             write the catalogue to standard output\n")
    TEXT("/?                show this text\n")
    TEXT("\n")
    TEXT("Exit codes: 0 done; 3010 restart needed; 1603 failed; 1639 bad command line.\n");
// clang-format on

namespace {

enum class Switch { None, Quiet, List, Usage, NoDefault, TestPage, Repair, Uninstall, NoRestart, Model, Port, Log };

struct Name {
    const WCHAR* text;
    Switch which;
};
// The quiet switches of the common setup programs all mean quiet here.
const Name kSwitches[] = {
    {TEXT("quiet"), Switch::Quiet},
    {TEXT("q"), Switch::Quiet},
    {TEXT("s"), Switch::Quiet},
    {TEXT("qn"), Switch::Quiet},
    {TEXT("silent"), Switch::Quiet},
    {TEXT("verysilent"), Switch::Quiet},
    {TEXT("passive"), Switch::Quiet},
    {TEXT("list"), Switch::List},
    {TEXT("?"), Switch::Usage},
    {TEXT("nodefault"), Switch::NoDefault},
    {TEXT("testpage"), Switch::TestPage},
    {TEXT("repair"), Switch::Repair},
    {TEXT("uninstall"), Switch::Uninstall},
    {TEXT("norestart"), Switch::NoRestart},
    {TEXT("model"), Switch::Model},
    {TEXT("port"), Switch::Port},
    {TEXT("log"), Switch::Log},
};

Switch Recognise(const WString& argument)
{
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return Switch::None;
    for (const Name& name : kSwitches)
        if (text::EqualNoCaseAscii(argument.c_str() + 1, argument.size() - 1, name.text, text::Length(name.text)))
            return name.which;
    return Switch::None;
}

bool IsSwitchLike(const WString& argument) { return !argument.empty() && (argument[0] == '/' || argument[0] == '-'); }

}  // namespace

Options Parse(const std::vector<WString>& arguments)
{
    Options options;
    auto fault = [&options](const WString& message) {
        if (options.error.empty()) options.error = message;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        const WString& argument = arguments[i];
        Switch which = Recognise(argument);
        WString* value = nullptr;
        switch (which) {
        case Switch::Quiet: options.quiet = true; continue;
        case Switch::List: options.list = true; continue;
        case Switch::Usage: options.usage = true; continue;
        case Switch::NoDefault: options.noDefault = true; continue;
        case Switch::TestPage: options.testPage = true; continue;
        case Switch::Repair: options.repair = true; continue;
        case Switch::Uninstall: options.uninstall = true; continue;
        case Switch::NoRestart: options.noRestart = true; continue;
        case Switch::Model: value = &options.model; break;
        case Switch::Port: value = &options.port; break;
        case Switch::Log: value = &options.logFile; break;
        case Switch::None:
            if (IsSwitchLike(argument))
                fault(text::Format(TEXT("unknown switch %s"), argument.c_str()));
            else
                fault(text::Format(TEXT("\"%s\" is not a switch (a value with blanks goes in quotation marks)"),
                                   argument.c_str()));
            continue;
        }
        // The value is the next argument, unless there is none, it is empty, or it is a
        // switch itself (the value was left out).
        if (i + 1 >= arguments.size() || arguments[i + 1].empty() || Recognise(arguments[i + 1]) != Switch::None) {
            fault(text::Format(TEXT("%s needs a value"), argument.c_str()));
            continue;
        }
        if (!value->empty()) fault(text::Format(TEXT("%s is given twice"), argument.c_str()));
        *value = arguments[++i];
    }
    // A switch of the installation is meant for a machine nobody watches: a box asking
    // for /quiet would wait there for ever.
    if (options.HasInstallSwitches()) options.quiet = true;
    if (options.uninstall) {
        if (options.model.empty()) fault(TEXT("/uninstall needs /model MODEL"));
        if (!options.port.empty() || options.noDefault || options.testPage || options.repair)
            fault(TEXT("/uninstall takes /model and /log, and no switch of the installation"));
    }
    return options;
}

}  // namespace cmdline

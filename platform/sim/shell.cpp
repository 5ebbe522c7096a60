// Shell32 of the simulated machine: ShellExecuteExW, which can start one program,
// rundll32, as a simulated process; CommandLineToArgvW, splitting exactly as
// Windows does; LocalFree for its result. rundll32 runs the printer-UI entry
// (PRINTUI.DLL,PrintUIEntry) on the simulated spooler: /if installs a driver from
// an INF and creates a printer, /y makes a printer the default, /k prints a test page.
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/sim/control.h"
#include "platform/sim/control_spooler.h"
#include "platform/sim/handles.h"
#include "platform/sim/kernel_api.h"
#include "platform/sim/parts.h"
#include "platform/sim/shell_api.h"
#include "platform/sim/spooler_internal.h"
#include "platform/text.h"

#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126L
#endif
#ifndef ERROR_PROC_NOT_FOUND
#define ERROR_PROC_NOT_FOUND 127L
#endif
#ifndef ERROR_UNKNOWN_PORT
#define ERROR_UNKNOWN_PORT 1796L
#endif

namespace sim {

namespace {

struct Shell {
    std::mutex mutex;
    std::condition_variable changed;
    Rundll32Behaviour behaviour;
    std::vector<Rundll32Run> runs;
    unsigned releaseEpoch = 0;  // raised by EndRundll32Processes
    unsigned generation = 0;    // raised at every reset
    bool stopping = false;      // the machine is being reset: processes end without acting
};

Shell& State()
{
    static Shell s;
    return s;
}

class Process : public CompletionObject {
public:
    Process(size_t run, unsigned generation) : m_run(run), m_generation(generation) {}
    const char* Kind() const override { return "process"; }
    void OnWaitBegins(DWORD ms) override
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        if (State().generation == m_generation && m_run < State().runs.size()) State().runs[m_run].waits.push_back(ms);
    }

private:
    size_t m_run;
    unsigned m_generation;
};

bool IsBlank(char16_t c) { return c == ' ' || c == '\t'; }

// --- the printer-UI entry ------------------------------------------------------------------

struct PrintUiCommand {
    std::u16string action;  // "if", "y" or "k"
    std::u16string printer, inf, port, model;
    bool quiet = false;
};

// The switches the wizard's commands use; anything else is refused as the real
// entry refuses it (with its usage text, unless quiet).
DWORD ParsePrintUi(const std::vector<std::u16string>& args, PrintUiCommand& cmd)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        if (a.size() < 2 || a[0] != '/') return ERROR_INVALID_PARAMETER;
        std::u16string sw = a.substr(1);
        if (sw == u"if" || sw == u"y" || sw == u"k") {
            if (!cmd.action.empty()) return ERROR_INVALID_PARAMETER;
            cmd.action = sw;
            continue;
        }
        if (sw == u"q") {
            cmd.quiet = true;
            continue;
        }
        std::u16string* value = nullptr;
        switch (sw[0]) {
        case 'n':
        case 'b': value = &cmd.printer; break;
        case 'f': value = &cmd.inf; break;
        case 'r': value = &cmd.port; break;
        case 'm': value = &cmd.model; break;
        default: return ERROR_INVALID_PARAMETER;
        }
        if (sw.size() > 1) {  // the value written right after the switch
            *value = sw.substr(1);
        } else if (i + 1 < args.size()) {
            *value = args[++i];
        } else {
            return ERROR_INVALID_PARAMETER;
        }
    }
    return cmd.action.empty() ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

// /if: the INF must exist and list the model (letter case ignored, as INF strings
// are compared); the driver is named as the INF spells the model.
DWORD InstallFromInf(const PrintUiCommand& cmd)
{
    if (cmd.printer.empty() || cmd.inf.empty() || cmd.model.empty() || cmd.port.empty()) return ERROR_INVALID_PARAMETER;
    std::vector<std::u16string> lines;
    if (!ReadHostLines(cmd.inf, lines)) return ERROR_FILE_NOT_FOUND;
    std::u16string driver;
    for (const auto& line : lines) {
        InfModelLine model;
        if (ParseInfModelLine(line, model) && NamesEqual(model.model, cmd.model)) {
            driver = model.model;
            break;
        }
    }
    if (driver.empty()) return ERROR_UNKNOWN_PRINTER_DRIVER;
    if (!SpoolerHasPort(cmd.port)) return ERROR_UNKNOWN_PORT;
    DWORD error = SpoolerAddDriver(driver);
    return error != ERROR_SUCCESS ? error : SpoolerAddPrinter(cmd.printer, driver, cmd.port);
}

DWORD PrintUiEntry(const std::u16string& commandLine)
{
    std::vector<std::u16string> args;
    if (!commandLine.empty()) {
        int argc = 0;
        LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &argc);
        for (int i = 0; argv && i < argc; ++i) args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    PrintUiCommand cmd;
    DWORD error = ParsePrintUi(args, cmd);
    if (error == ERROR_SUCCESS) {
        if (cmd.action == u"if")
            error = InstallFromInf(cmd);
        else if (cmd.action == u"y")
            error = SpoolerSetDefault(cmd.printer);
        else
            error = SpoolerQueueTestPage(cmd.printer);
    }
    Log("printui /" + Utf8(cmd.action) + " \"" + Utf8(cmd.printer) +
        "\": " + (error == ERROR_SUCCESS ? std::string("ok") : "error " + std::to_string(error)));
    return error;
}

// rundll32 DLL,Entry rest: the rest of the line goes to the entry as it stands.
DWORD Rundll32Main(const std::u16string& parameters)
{
    size_t at = 0;
    while (at < parameters.size() && IsBlank(parameters[at])) ++at;
    size_t comma = parameters.find(u',', at);
    size_t end = parameters.find_first_of(u" \t", at);
    if (comma == std::u16string::npos || (end != std::u16string::npos && end < comma)) {
        Log("rundll32: no entry point in \"" + Utf8(parameters) + "\"");
        return ERROR_INVALID_PARAMETER;
    }
    std::u16string dll = parameters.substr(at, comma - at);
    std::u16string entry =
        parameters.substr(comma + 1, end == std::u16string::npos ? std::u16string::npos : end - comma - 1);
    if (!NamesEqual(dll, u"PRINTUI.DLL") && !NamesEqual(dll, u"PRINTUI")) {
        Log("rundll32: cannot load \"" + Utf8(dll) + "\"");
        return ERROR_MOD_NOT_FOUND;
    }
    if (entry != u"PrintUIEntry") {  // entry points are found by their exact name
        Log("rundll32: no entry \"" + Utf8(entry) + "\" in \"" + Utf8(dll) + "\"");
        return ERROR_PROC_NOT_FOUND;
    }
    size_t rest = end == std::u16string::npos ? parameters.size() : end;
    while (rest < parameters.size() && IsBlank(parameters[rest])) ++rest;
    return PrintUiEntry(parameters.substr(rest));
}

DWORD RunProcess(const std::u16string& parameters, size_t run, unsigned generation, Rundll32Behaviour how,
                 unsigned epoch)
{
    Shell& s = State();
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        if (how.outlivesWaits) {
            s.changed.wait(lock, [&] { return s.stopping || s.releaseEpoch != epoch; });
        } else if (how.runMs) {
            s.changed.wait_for(lock, Scaled(how.runMs), [&] { return s.stopping; });
        }
        if (s.stopping) return ERROR_OPERATION_ABORTED;
    }
    DWORD code = Rundll32Main(parameters);
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.generation == generation && run < s.runs.size()) {
        s.runs[run].ended = true;
        s.runs[run].exitCode = code;
    }
    return code;
}

// rundll32 by its bare name, or by its full path in the system folder; a path to
// any other folder names no program this machine has.
bool IsRundll32(const std::u16string& file)
{
    size_t slash = file.find_last_of(u"\\/");
    if (slash != std::u16string::npos && !NamesEqual(file.substr(0, slash), SystemDirectory())) return false;
    std::u16string base = slash == std::u16string::npos ? file : file.substr(slash + 1);
    return NamesEqual(base, u"rundll32") || NamesEqual(base, u"rundll32.exe");
}

}  // namespace

void StopShellProcesses()
{
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().stopping = true;
    }
    State().changed.notify_all();
}

void ResetShellPart()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    Shell& s = State();
    s.behaviour = Rundll32Behaviour();
    s.runs.clear();
    ++s.generation;
    s.stopping = false;
}

void SetRundll32Behaviour(const Rundll32Behaviour& behaviour)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().behaviour = behaviour;
}

void EndRundll32Processes()
{
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        ++State().releaseEpoch;
    }
    State().changed.notify_all();
}

std::vector<Rundll32Run> Rundll32Runs()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().runs;
}

}  // namespace sim

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hInstApp = nullptr;
    info->hProcess = nullptr;
    DWORD error = ERROR_SUCCESS;
    sim::Rundll32Behaviour how;
    {
        std::lock_guard<std::mutex> lock(sim::State().mutex);
        how = sim::State().behaviour;
    }
    std::u16string file = info->lpFile ? info->lpFile : u"";
    std::u16string verb = info->lpVerb ? info->lpVerb : u"";
    if (sim::TakeFailure("ShellExecuteExW", &error)) {
    } else if (how.startError) {
        error = how.startError;
    } else if (!sim::IsRundll32(file)) {
        error = ERROR_FILE_NOT_FOUND;  // the only program this machine has
    } else if (!verb.empty() && !sim::NamesEqual(verb, u"open")) {
        error = ERROR_NO_ASSOCIATION;
    }
    if (error != ERROR_SUCCESS) {
        // hInstApp carries a small SE_ERR_ code, as the shell sets it.
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(error <= 32 ? error : 31));
        SetLastError(error);
        return FALSE;
    }
    std::u16string parameters = info->lpParameters ? info->lpParameters : u"";
    size_t run;
    unsigned generation;
    unsigned epoch;
    {
        std::lock_guard<std::mutex> lock(sim::State().mutex);
        sim::Rundll32Run record;
        record.file = file;
        record.parameters = parameters;
        run = sim::State().runs.size();
        sim::State().runs.push_back(record);
        generation = sim::State().generation;
        epoch = sim::State().releaseEpoch;
    }
    sim::Log("run rundll32 " + sim::Utf8(parameters));
    auto process = std::make_shared<sim::Process>(run, generation);
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = sim::AddHandle(process);
    sim::StartCountedThread(process, [parameters, run, generation, how, epoch]() {
        return sim::RunProcess(parameters, run, generation, how, epoch);
    });
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// As Windows splits (and Wine since it follows Windows): the program name runs to
// the next quotation mark when it begins with one, else to the first blank; after
// it, 2n backslashes and a quotation mark give n backslashes and toggle quoting,
// 2n+1 backslashes and a quotation mark give n backslashes and a literal quotation
// mark, other backslashes stand as they are, and within quotes a third consecutive
// quotation mark is a literal one.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc)
{
    if (!argc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::u16string> args;
    const char16_t* s = commandLine ? commandLine : u"";
    if (!*s) {
        args.push_back(sim::ModulePath());
    } else {
        std::u16string program;
        if (*s == '"') {
            for (++s; *s && *s != '"'; ++s) program += *s;
            if (*s) ++s;
        } else {
            for (; *s && !sim::IsBlank(*s); ++s) program += *s;
        }
        args.push_back(program);
        while (sim::IsBlank(*s)) ++s;
        if (*s) {
            std::u16string arg;
            bool open = true;  // an argument has begun
            int quotes = 0;
            size_t backslashes = 0;
            while (*s) {
                if (sim::IsBlank(*s) && quotes == 0) {
                    args.push_back(arg);
                    arg.clear();
                    backslashes = 0;
                    while (sim::IsBlank(*s)) ++s;
                    open = *s != 0;
                    continue;
                }
                if (*s == '\\') {
                    arg += *s++;
                    ++backslashes;
                    continue;
                }
                if (*s == '"') {
                    arg.erase(arg.size() - backslashes / 2);
                    if (backslashes % 2 == 0) {
                        ++quotes;
                    } else {
                        arg.back() = '"';  // the odd backslash becomes the quotation mark
                    }
                    ++s;
                    backslashes = 0;
                    while (*s == '"') {
                        if (++quotes == 3) {
                            arg += '"';
                            quotes = 0;
                        }
                        ++s;
                    }
                    if (quotes == 2) quotes = 0;
                    continue;
                }
                arg += *s++;
                backslashes = 0;
            }
            if (open) args.push_back(arg);
        }
    }
    size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
    for (const auto& a : args) bytes += (a.size() + 1) * sizeof(WCHAR);
    char* block = static_cast<char*>(std::malloc(bytes));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    LPWSTR* argv = reinterpret_cast<LPWSTR*>(block);
    WCHAR* text = reinterpret_cast<WCHAR*>(block + (args.size() + 1) * sizeof(LPWSTR));
    for (size_t i = 0; i < args.size(); ++i) {
        argv[i] = text;
        std::memcpy(text, args[i].data(), args[i].size() * sizeof(WCHAR));
        text[args[i].size()] = 0;
        text += args[i].size() + 1;
    }
    argv[args.size()] = nullptr;
    *argc = static_cast<int>(args.size());
    return argv;
}

HANDLE LocalFree(HANDLE memory)
{
    std::free(memory);
    return nullptr;
}

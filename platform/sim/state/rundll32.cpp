// The simulated rundll32: the processes ShellExecuteExW starts run the printer-UI
// entry (PRINTUI.DLL,PrintUIEntry) on the simulated spooler: /if installs a driver from
// an INF and creates a printer, /y makes a printer the default, /k prints a test page.
#include "platform/sim/state/rundll32.h"

#include <filesystem>
#include <optional>

#include "platform/sim/api/shell.h"
#include "platform/sim/state/inf_files.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/spooler.h"

namespace sim {

namespace {

class Process : public CompletionObject {
public:
    Process(size_t run, unsigned generation) : m_run(run), m_generation(generation) {}
    const char* Kind() const override { return "process"; }
    void OnWaitBegins(DWORD ms) override
    {
        std::lock_guard<std::mutex> lock(Rundll32().mutex);
        if (Rundll32().generation == m_generation && m_run < Rundll32().runs.size())
            Rundll32().runs[m_run].waits.push_back(ms);
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
// are compared); the driver is named as the INF spells the model. When a printer of
// the name exists already (in any letter case), the new one is named "NAME (Copy n)"
// with the lowest free n, as the system's own entry names it: that is why the wizard
// removes a name's copy family before it installs, since earlier installations and a
// user's retries leave such copies behind. A stand-in that refused the name instead
// would never make the copies the wizard has to clean up. The Wine stand-in
// (tools/printui) does the same; one contract test holds both
// (tests/contract/shell_test.cpp).
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
    return error != ERROR_SUCCESS ? error : SpoolerAddPrinter(SpoolerFreePrinterName(cmd.printer), driver, cmd.port);
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

// `acts`: the system's rundll32, which runs the printer-UI entry; any other program
// found under that name runs for as long and does nothing the machine can see.
DWORD RunProcess(const std::u16string& parameters, size_t run, unsigned generation, Rundll32Behaviour how,
                 unsigned epoch, bool acts)
{
    Rundll32State& s = Rundll32();
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        if (how.outlivesWaits) {
            s.changed.wait(lock, [&] { return s.stopping || s.releaseEpoch != epoch; });
        } else if (how.runMs) {
            s.changed.wait_for(lock, Scaled(how.runMs), [&] { return s.stopping; });
        }
        if (s.stopping) return ERROR_OPERATION_ABORTED;
    }
    DWORD code = acts ? Rundll32Main(parameters) : ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.generation == generation && run < s.runs.size()) {
        s.runs[run].ended = true;
        s.runs[run].exitCode = code;
    }
    return code;
}

}  // namespace

Rundll32State& Rundll32()
{
    static Rundll32State s;
    return s;
}

namespace {

bool IsSystemRundll32(const std::u16string& path)
{
    size_t slash = path.find_last_of(u"\\/");
    if (slash == std::u16string::npos || !NamesEqual(path.substr(0, slash), SystemDirectory())) return false;
    std::u16string base = path.substr(slash + 1);
    return NamesEqual(base, u"rundll32") || NamesEqual(base, u"rundll32.exe");
}

bool FileExists(const std::u16string& path)
{
    if (MemoryFile(path.c_str())) return true;
    std::optional<std::string> host = HostPath(path.c_str());
    std::error_code ec;
    return host && std::filesystem::is_regular_file(*host, ec);
}

}  // namespace

bool FindProgram(const std::u16string& file, const std::u16string& workingFolder, FoundProgram* found)
{
    std::vector<std::u16string> candidates;
    if (file.find_first_of(u"\\/:") != std::u16string::npos) {
        candidates.push_back(file);
    } else if (!file.empty()) {
        std::u16string name = file.find(u'.') == std::u16string::npos ? file + u".exe" : file;
        std::u16string program = ModulePath();
        size_t slash = program.find_last_of(u"\\/");
        for (const std::u16string& folder :
             {workingFolder.empty() ? CurrentFolder() : workingFolder,
              slash == std::u16string::npos ? std::u16string() : program.substr(0, slash), SystemDirectory()})
            if (!folder.empty()) candidates.push_back(folder + (folder.back() == u'\\' ? u"" : u"\\") + name);
    }
    for (const std::u16string& path : candidates) {
        if (IsSystemRundll32(path)) {
            *found = {path, true};
            return true;
        }
        if (FileExists(path)) {
            *found = {path, false};
            return true;
        }
    }
    return false;
}

HANDLE StartRundll32(const std::u16string& file, const FoundProgram& program, const std::u16string& parameters,
                     const std::u16string& folder, const Rundll32Behaviour& how, bool wantHandle)
{
    size_t run;
    unsigned generation;
    unsigned epoch;
    {
        std::lock_guard<std::mutex> lock(Rundll32().mutex);
        Rundll32Run record;
        record.file = file;
        record.program = program.path;
        record.parameters = parameters;
        record.folder = folder;
        run = Rundll32().runs.size();
        Rundll32().runs.push_back(record);
        generation = Rundll32().generation;
        epoch = Rundll32().releaseEpoch;
    }
    Log("run " + (program.systemRundll32 ? std::string("rundll32") : Utf8(program.path)) + " " + Utf8(parameters));
    auto process = std::make_shared<Process>(run, generation);
    HANDLE handle = wantHandle ? AddHandle(process) : nullptr;
    bool acts = program.systemRundll32;
    StartCountedThread(process, [parameters, run, generation, how, epoch, acts]() {
        return RunProcess(parameters, run, generation, how, epoch, acts);
    });
    return handle;
}

void StopRundll32Processes()
{
    {
        std::lock_guard<std::mutex> lock(Rundll32().mutex);
        Rundll32().stopping = true;
    }
    Rundll32().changed.notify_all();
}

void ResetRundll32Part()
{
    std::lock_guard<std::mutex> lock(Rundll32().mutex);
    Rundll32State& s = Rundll32();
    s.behaviour = Rundll32Behaviour();
    s.runs.clear();
    ++s.generation;
    s.stopping = false;
}

}  // namespace sim

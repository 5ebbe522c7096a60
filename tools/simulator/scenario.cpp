#include "tools/simulator/scenario.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/control/devices.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "platform/text.h"

namespace simulator {

namespace {

std::u16string U16(const std::string& s) { return text::FromUtf8(s); }

bool Fail(std::string* error, const ScenarioLine& line, const std::string& message)
{
    if (error) *error = "line " + std::to_string(line.number) + ": " + message;
    return false;
}

bool ParseNumber(const std::string& s, long* value)
{
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (*end) return false;
    *value = v;
    return true;
}

}  // namespace

const std::string* ScenarioLine::Option(const std::string& key) const
{
    auto it = options.find(key);
    return it == options.end() ? nullptr : &it->second;
}

std::optional<ScenarioLine> ParseScenarioLine(const std::string& line, std::string* error)
{
    ScenarioLine out;
    std::vector<std::string> tokens;
    std::vector<bool> startsQuoted;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size() || line[i] == '#') break;
        std::string token;
        bool quoted = false;
        startsQuoted.push_back(line[i] == '"');
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t' && line[i] != '\r'))) {
            char c = line[i++];
            if (c == '"') {
                quoted = !quoted;
            } else if (quoted && c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                token += line[i++];
            } else {
                token += c;
            }
        }
        if (quoted) {
            if (error) *error = "a quotation mark is not closed";
            return std::nullopt;
        }
        tokens.push_back(token);
    }
    if (tokens.empty()) return out;
    out.keyword = tokens[0];
    // key=value options; a word in quotation marks is never an option, so a name
    // may contain '='.
    for (size_t t = 1; t < tokens.size(); ++t) {
        size_t eq = tokens[t].find('=');
        bool isOption = !startsQuoted[t] && eq != std::string::npos && eq > 0 &&
                        tokens[t].find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == eq;
        if (isOption)
            out.options[tokens[t].substr(0, eq)] = tokens[t].substr(eq + 1);
        else
            out.words.push_back(tokens[t]);
    }
    return out;
}

std::string DefaultMediumFolder() { return std::string(KORVEL_SOURCE_DIR) + "/medium"; }

bool Scenario::Load(const std::string& path, std::string* error)
{
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string base = std::filesystem::absolute(path).parent_path().string();
    if (!Parse(text.str(), base, error)) {
        if (error) *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool Scenario::Parse(const std::string& text, const std::string& baseDir, std::string* error)
{
    mediumFolder = DefaultMediumFolder();
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    static const char* const kMachineKeywords[] = {"code-page",     "printer",        "connection", "driver",
                                                   "ports",         "port",           "default",    "rundll32",
                                                   "driver-update", "config-manager", "fail"};
    while (std::getline(in, raw)) {
        ++number;
        std::string message;
        std::optional<ScenarioLine> line = ParseScenarioLine(raw, &message);
        if (!line) {
            if (error) *error = "line " + std::to_string(number) + ": " + message;
            return false;
        }
        line->number = number;
        if (line->keyword.empty()) continue;
        const std::string& k = line->keyword;
        if (k == "medium") {
            if (line->words.size() != 1) return Fail(error, *line, "medium FOLDER");
            std::filesystem::path p(line->words[0]);
            mediumFolder = (p.is_absolute() ? p : std::filesystem::path(baseDir) / p).lexically_normal().string();
        } else if (k == "program") {
            if (line->words.size() != 1 || line->words[0].size() < 3 || line->words[0][1] != ':')
                return Fail(error, *line, "program DRIVE:\\PATH\\NAME.exe");
            programPath = U16(line->words[0]);
        } else if (k == "time-scale") {
            if (line->words.size() != 1 || std::atof(line->words[0].c_str()) <= 0)
                return Fail(error, *line, "time-scale FACTOR (greater than 0)");
            timeScale = std::atof(line->words[0].c_str());
        } else if (k == "usb") {
            if (m_usb) return Fail(error, *line, "one USB printer per scenario");
            if (!line->Option("model") && !line->Option("id")) return Fail(error, *line, "usb needs model= or id=");
            m_usb = *line;
        } else {
            bool known = false;
            for (const char* m : kMachineKeywords) known = known || k == m;
            if (!known) return Fail(error, *line, "unknown keyword \"" + k + "\"");
            m_lines.push_back(*line);
        }
    }
    return true;
}

bool Scenario::Apply(std::string* error) const
{
    std::error_code ec;
    if (!std::filesystem::is_directory(mediumFolder, ec)) {
        if (error) *error = "no setup medium folder " + mediumFolder;
        return false;
    }
    sim::SetTimeScale(timeScale);
    sim::MapDrive(static_cast<char>(programPath[0]), mediumFolder);
    sim::SetModulePath(programPath);
    for (const ScenarioLine& line : m_lines) {
        const std::string& k = line.keyword;
        long number = 0;
        if (k == "code-page") {
            if (line.words.size() != 1 || !ParseNumber(line.words[0], &number)) return Fail(error, line, "code-page N");
            sim::SetCodePage(static_cast<UINT>(number));
        } else if (k == "printer") {
            const std::string* driver = line.Option("driver");
            const std::string* port = line.Option("port");
            long jobs = 0;
            if (line.words.size() != 1 || !driver || !port)
                return Fail(error, line, "printer NAME driver=D port=P [jobs=N]");
            if (const std::string* j = line.Option("jobs"); j && !ParseNumber(*j, &jobs))
                return Fail(error, line, "jobs=N");
            sim::AddPrinterDriver(U16(*driver));
            if (!sim::AddLocalPrinter(U16(line.words[0]), U16(*driver), U16(*port), static_cast<int>(jobs)))
                return Fail(error, line, "the printer cannot be added (empty or present already)");
        } else if (k == "connection") {
            const std::string* driver = line.Option("driver");
            const std::string& w = line.words.empty() ? std::string() : line.words[0];
            size_t slash = w.find('\\', 2);
            if (line.words.size() != 1 || !driver || w.rfind("\\\\", 0) != 0 || slash == std::string::npos)
                return Fail(error, line, "connection \\\\SERVER\\NAME driver=D");
            sim::AddPrinterConnection(U16(w.substr(2, slash - 2)), U16(w.substr(slash + 1)), U16(*driver));
        } else if (k == "driver") {
            if (line.words.size() != 1) return Fail(error, line, "driver NAME");
            sim::AddPrinterDriver(U16(line.words[0]));
        } else if (k == "ports") {
            std::vector<std::u16string> ports;
            for (const std::string& w : line.words) ports.push_back(U16(w));
            sim::SetPorts(ports);
        } else if (k == "port") {
            if (line.words.size() != 1) return Fail(error, line, "port NAME");
            sim::AddPort(U16(line.words[0]));
        } else if (k == "default") {
            if (line.words.size() != 1) return Fail(error, line, "default NAME");
            sim::SetDefaultPrinterName(U16(line.words[0]));
        } else if (k == "rundll32") {
            sim::Rundll32Behaviour b;
            if (const std::string* f = line.Option("fail")) {
                if (!ParseNumber(*f, &number)) return Fail(error, line, "fail=ERROR");
                b.startError = static_cast<DWORD>(number);
            }
            if (const std::string* r = line.Option("run")) {
                if (!ParseNumber(*r, &number)) return Fail(error, line, "run=MS");
                b.runMs = static_cast<DWORD>(number);
            }
            for (const std::string& w : line.words) {
                if (w != "hang") return Fail(error, line, "rundll32 [fail=ERROR] [run=MS] [hang]");
                b.outlivesWaits = true;
            }
            sim::SetRundll32Behaviour(b);
        } else if (k == "driver-update") {
            const std::string* f = line.Option("fail");
            if (!f || !ParseNumber(*f, &number)) return Fail(error, line, "driver-update fail=ERROR");
            sim::FailDriverUpdates(static_cast<DWORD>(number));
        } else if (k == "config-manager") {
            long locate = 0, reenumerate = 0;
            const std::string* l = line.Option("locate");
            const std::string* r = line.Option("reenumerate");
            if ((l && !ParseNumber(*l, &locate)) || (r && !ParseNumber(*r, &reenumerate)))
                return Fail(error, line, "config-manager locate=CODE reenumerate=CODE");
            sim::SetConfigManagerResults(static_cast<DWORD>(locate), static_cast<DWORD>(reenumerate));
        } else if (k == "fail") {
            long code = 0, times = -1;
            if (line.words.size() < 2 || line.words.size() > 3 || !ParseNumber(line.words[1], &code) ||
                (line.words.size() == 3 && !ParseNumber(line.words[2], &times)))
                return Fail(error, line, "fail FUNCTION ERROR [TIMES]");
            sim::FailCall(line.words[0], static_cast<DWORD>(code), static_cast<int>(times));
        }
    }
    if (m_usb) {
        const std::string* plugged = m_usb->Option("plugged");
        if (!plugged || *plugged != "no") return PlugUsb(error);
    }
    return true;
}

bool Scenario::PlugUsb(std::string* error) const
{
    if (!m_usb) return Fail(error, ScenarioLine(), "the scenario has no USB printer");
    if (!sim::PresentUsbPrinters().empty()) {
        if (error) *error = "the USB printer is plugged in already";
        return false;
    }
    const ScenarioLine& u = *m_usb;
    sim::TypicalUsbPrinter p;
    if (const std::string* model = u.Option("model"))
        p.deviceId = "MFG:KORVEL;CMD:ESC/P;MDL:" + *model + ";CLS:PRINTER;";
    if (const std::string* id = u.Option("id")) p.deviceId = *id;
    if (const std::string* v = u.Option("vid")) p.vid = *v;
    if (const std::string* v = u.Option("pid")) p.pid = *v;
    if (const std::string* v = u.Option("serial")) p.serial = *v;
    long number = 0;
    if (const std::string* v = u.Option("port-number")) {
        if (!ParseNumber(*v, &number)) return Fail(error, u, "port-number=N");
        p.portNumber = static_cast<DWORD>(number);
    }
    if (const std::string* v = u.Option("linked")) {
        if (!ParseNumber(*v, &number)) return Fail(error, u, "linked=N");
        p.linked = static_cast<DWORD>(number);
    }
    if (const std::string* v = u.Option("answer")) {
        if (*v == "now") {
            p.answer = sim::DeviceIdAnswer::AtOnce;
        } else if (*v == "never") {
            p.answer = sim::DeviceIdAnswer::Never;
        } else if (*v == "fail") {
            p.answer = sim::DeviceIdAnswer::Fail;
        } else if (v->rfind("late:", 0) == 0 && ParseNumber(v->substr(5), &number)) {
            p.answer = sim::DeviceIdAnswer::AfterDelay;
            p.answerDelayMs = static_cast<DWORD>(number);
        } else {
            return Fail(error, u, "answer=now|late:MS|never|fail");
        }
    }
    if (const std::string* v = u.Option("hardware-id")) p.hardwareIds.push_back(U16(*v));
    sim::PlugInTypicalUsbPrinter(p);
    return true;
}

bool Scenario::UnplugUsb(std::string* error) const
{
    std::vector<std::u16string> present = sim::PresentUsbPrinters();
    if (!m_usb || present.empty()) {
        if (error) *error = "no USB printer is plugged in";
        return false;
    }
    for (const std::u16string& path : present) sim::UnplugUsbPrinter(path);
    return true;
}

}  // namespace simulator

#include "tools/simulator/scenario.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/control/devices.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/pnp.h"
#include "platform/sim/control/process.h"
#include "platform/sim/control/shell.h"
#include "platform/sim/control/spooler.h"
#include "platform/kernel.h"
#include "platform/text.h"
#include "platform/usbprint_id.h"
#include "tools/simulator/sibling_image.h"

namespace simulator {

namespace {

std::u16string U16(const std::string& s) { return text::FromUtf8(s); }

bool ParseNumber(const std::string& s, long* value)
{
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 0);
    if (*end || errno == ERANGE) return false;
    *value = v;
    return true;
}

constexpr size_t kAny = static_cast<size_t>(-1);

// One statement of the format: its form as the messages show it, how many words it
// takes before its options, and which options it knows. A new statement is a row
// here and its effect in Scenario::Parse (settings of the run) or Scenario::Apply
// (the machine's state).
struct Statement {
    const char* keyword;
    const char* form;
    size_t minWords, maxWords;
    const char* words;  // what the words are, for "needs ..."
    bool text;          // a word is a name or path, which may hold blanks
    std::vector<std::string> options;
    std::vector<std::string> required;
    std::vector<std::string> numeric;  // options whose value is a whole number
    // What is wrong with the values of a line that has the right shape; "" when nothing.
    std::string (*check)(const ScenarioLine&);
};

// The checks of values, one for each statement that has values to check.
std::string NoCheck(const ScenarioLine&) { return ""; }

std::string CheckNumbers(const ScenarioLine& line, size_t from)
{
    long n = 0;
    for (size_t i = from; i < line.words.size(); ++i)
        if (!ParseNumber(line.words[i], &n)) return "\"" + line.words[i] + "\" is not a whole number";
    return "";
}

std::string CheckCodePage(const ScenarioLine& line) { return CheckNumbers(line, 0); }
std::string CheckFail(const ScenarioLine& line) { return CheckNumbers(line, 1); }

std::string CheckProgram(const ScenarioLine& line)
{
    const std::string& w = line.words[0];
    bool drive = w.size() >= 3 && std::isalpha(static_cast<unsigned char>(w[0])) && w[1] == ':' && w[2] == '\\';
    return drive ? "" : "the path \"" + w + "\" does not begin with a drive letter, a colon and a backslash";
}

std::string CheckTimeScale(const ScenarioLine& line)
{
    double x = 0;
    return ParseTimeScale(line.words[0], &x) ? "" : "\"" + line.words[0] + "\": " + kTimeScaleExpected;
}

std::string CheckPrinter(const ScenarioLine& line)
{
    long jobs = 0;
    const std::string* j = line.Option("jobs");
    return j && ParseNumber(*j, &jobs) && jobs < 0 ? "jobs=" + *j + " is less than 0" : "";
}

std::string CheckConnection(const ScenarioLine& line)
{
    const std::string& w = line.words[0];
    size_t slash = w.find('\\', 2);
    bool shape = w.rfind("\\\\", 0) == 0 && slash != std::string::npos && slash > 2 && slash + 1 < w.size();
    return shape ? "" : "\"" + w + "\" is not of the form \\\\SERVER\\NAME";
}

// The IEEE 1284 device ID a usb line's printer sends: id= as given, or one naming the
// maker KORVEL and model=.
std::string DeviceIdOf(const ScenarioLine& line)
{
    if (const std::string* model = line.Option("model")) return "MFG:KORVEL;CMD:ESC/P;MDL:" + *model + ";CLS:PRINTER;";
    const std::string* id = line.Option("id");
    return id ? *id : std::string();
}

std::string CheckUsb(const ScenarioLine& line)
{
    if (!line.Option("model") && !line.Option("id")) return "usb needs model= or id=";
    if (line.Option("model") && line.Option("id")) return "usb takes model= or id=, not both";
    std::string formed;
    if (!line.Option("hardware-id") && !usbprint::HardwareIdOfDeviceId(DeviceIdOf(line), &formed))
        return "the device ID \"" + DeviceIdOf(line) +
               "\" names no maker (MFG:) or no model (MDL:), so Windows forms no hardware ID for the printer: give "
               "one with hardware-id=";
    long ms = 0;
    if (const std::string* a = line.Option("answer"))
        if (*a != "now" && *a != "never" && *a != "fail" && *a != "ignore-cancel" &&
            !(a->rfind("late:", 0) == 0 && ParseNumber(a->substr(5), &ms) && ms >= 0) &&
            !(a->rfind("ignore-cancel:", 0) == 0 && ParseNumber(a->substr(14), &ms) && ms >= 0))
            return "answer=" + *a + " is none of now, late:MS, never, fail and ignore-cancel[:MS]";
    if (const std::string* p = line.Option("plugged"); p && *p != "no" && *p != "yes")
        return "plugged=" + *p + " is neither no nor yes";
    return "";
}

// YYYY-MM-DD HH:MM:SS, a date and a time that exist.
bool ParseClock(const ScenarioLine& line, int parts[6])
{
    if (line.words.size() != 2) return false;
    char extra = 0;
    std::string text = line.words[0] + " " + line.words[1];
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts[0], &parts[1], &parts[2], &parts[3], &parts[4],
                    &parts[5], &extra) != 6)
        return false;
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int y = parts[0], m = parts[1], d = parts[2];
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return y >= 1601 && y <= 30827 && m >= 1 && m <= 12 && d >= 1 && d <= days[m - 1] &&
           !(m == 2 && d == 29 && !leap) && parts[3] <= 23 && parts[4] <= 59 && parts[5] <= 59 && parts[3] >= 0 &&
           parts[4] >= 0 && parts[5] >= 0;
}

std::string CheckClock(const ScenarioLine& line)
{
    int parts[6];
    return ParseClock(line, parts) ? "" : "\"" + line.words[0] + " " + line.words[1] + "\" is not a date and time";
}

std::string CheckDriverUpdate(const ScenarioLine& line)
{
    const std::string* reboot = line.Option("reboot");
    if (reboot && *reboot != "yes" && *reboot != "no") return "reboot=" + *reboot + " is neither yes nor no";
    return line.options.empty() ? "driver-update needs fail= or reboot=" : "";
}

std::string CheckAccount(const ScenarioLine& line)
{
    const std::string& w = line.words[0];
    return w == "system" || w == "administrator" ? "" : "\"" + w + "\" is neither system nor administrator";
}

std::string CheckRundll32(const ScenarioLine& line)
{
    return line.words.empty() || line.words[0] == "hang" ? "" : "\"" + line.words[0] + "\" is not hang";
}

const char kUsbForm[] =
    "usb model=MODEL (or id=\"DEVICE ID\") [vid=XXXX] [pid=XXXX] [serial=S] [port-number=N] [linked=N] "
    "[answer=now|late:MS|never|fail|ignore-cancel[:MS]] [hardware-id=ID] [plugged=no]";

// One row per statement: keyword, form, words (least, most, what they are, whether
// they are texts), options (known, required, numeric), check.
// clang-format off
const Statement kStatements[] = {
    {"medium", "medium FOLDER", 1, 1, "a folder", true, {}, {}, {}, NoCheck},
    {"program", "program DRIVE:\\PATH\\NAME.exe", 1, 1, "a path", true, {}, {}, {}, CheckProgram},
    {"code-page", "code-page N", 1, 1, "a code page number", false, {}, {}, {}, CheckCodePage},
    {"time-scale", "time-scale X", 1, 1, "a factor", false, {}, {}, {}, CheckTimeScale},
    {"printer", "printer NAME driver=DRIVER port=PORT [jobs=N]", 1, 1, "a printer name", true,
        {"driver", "port", "jobs"}, {"driver", "port"}, {"jobs"}, CheckPrinter},
    {"connection", "connection \\\\SERVER\\NAME driver=DRIVER", 1, 1, "a printer's network name", true,
        {"driver"}, {"driver"}, {}, CheckConnection},
    {"driver", "driver NAME", 1, 1, "a driver name", true, {}, {}, {}, NoCheck},
    {"ports", "ports PORT...", 0, kAny, "ports", true, {}, {}, {}, NoCheck},
    {"port", "port PORT", 1, 1, "a port name", true, {}, {}, {}, NoCheck},
    {"default", "default NAME", 1, 1, "a printer name", true, {}, {}, {}, NoCheck},
    {"usb", kUsbForm, 0, 0, "", false,
        {"model", "id", "vid", "pid", "serial", "port-number", "linked", "answer", "hardware-id", "plugged"},
        {}, {"port-number", "linked"}, CheckUsb},
    {"rundll32", "rundll32 [fail=ERROR] [run=MS] [hang]", 0, 1, "", false,
        {"fail", "run"}, {}, {"fail", "run"}, CheckRundll32},
    {"driver-update", "driver-update [fail=ERROR] [reboot=yes]", 0, 0, "", false, {"fail", "reboot"}, {}, {"fail"},
        CheckDriverUpdate},
    {"config-manager", "config-manager [locate=CODE] [reenumerate=CODE]", 0, 0, "", false,
        {"locate", "reenumerate"}, {}, {"locate", "reenumerate"}, NoCheck},
    {"fail", "fail FUNCTION ERROR [TIMES]", 2, 3, "a function and an error code", false, {}, {}, {}, CheckFail},
    {"command-line", "command-line \"ARGUMENTS\"", 1, 1, "the program's arguments", true, {}, {}, {}, NoCheck},
    {"clock", "clock YYYY-MM-DD HH:MM:SS", 2, 2, "a date and a time", false, {}, {}, {}, CheckClock},
    {"account", "account system|administrator", 1, 1, "an account", false, {}, {}, {}, CheckAccount},
    {"wow64", "wow64", 0, 0, "", false, {}, {}, {}, NoCheck},
    {"raw-command-line", "raw-command-line \"COMMAND LINE\"", 1, 1, "the whole command line", true, {}, {}, {},
        NoCheck},
};
// clang-format on

const Statement* FindStatement(const std::string& keyword)
{
    for (const Statement& s : kStatements)
        if (keyword == s.keyword) return &s;
    return nullptr;
}

std::string Join(const std::vector<std::string>& items, const std::string& before, const std::string& after)
{
    std::string out;
    for (const std::string& i : items) out += (out.empty() ? "" : ", ") + before + i + after;
    return out;
}

// What is wrong with the shape of a line: its words, its options and their values.
std::string CheckShape(const Statement& s, const ScenarioLine& line)
{
    const std::string k = line.keyword;
    size_t n = line.words.size();
    if (n < s.minWords) return k + " needs " + s.words;
    if (n > s.maxWords) {
        if (s.maxWords == 0) return k + " takes only options, but \"" + line.words[0] + "\" is not one";
        std::string found = k + " takes " + std::to_string(s.maxWords) + (s.maxWords == 1 ? " word" : " words") +
                            " before its options, but the line has " + std::to_string(n) + " (" +
                            Join(line.words, "\"", "\"") + ")";
        if (!s.text) return found;
        // The usual cause: a name with blanks written without its quotation marks.
        std::string joined;
        for (size_t i = s.maxWords - 1; i < n; ++i) joined += (joined.empty() ? "" : " ") + line.words[i];
        return found + ": a name with blanks needs quotation marks, as in \"" + joined + "\"";
    }
    for (const auto& [key, value] : line.options) {
        if (std::find(s.options.begin(), s.options.end(), key) == s.options.end())
            return k + " has no option " + key + "=" +
                   (s.options.empty() ? "" : " (its options: " + Join(s.options, "", "=") + ")");
        long number = 0;
        if (std::find(s.numeric.begin(), s.numeric.end(), key) != s.numeric.end() && !ParseNumber(value, &number))
            return key + "=" + value + " is not a whole number";
    }
    for (const std::string& key : s.required)
        if (!line.Option(key)) return k + " needs " + key + "=";
    return s.check(line);
}

bool SameName(const std::u16string& a, const std::u16string& b)
{
    // The spooler finds printer and port names without regard to letter case.
    return text::EqualIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

}  // namespace

const char kTimeScaleExpected[] = "the time scale must be a number greater than 0 (0.05 runs twenty times faster)";

bool ParseTimeScale(const std::string& text, double* scale)
{
    if (text.empty()) return false;
    char* end = nullptr;
    double x = std::strtod(text.c_str(), &end);
    if (*end || !std::isfinite(x) || !(x > 0)) return false;
    *scale = x;
    return true;
}

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
            if (error) *error = "a quotation mark is not closed (write \\\" for a quotation mark inside quotes)";
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
        if (isOption) {
            std::string key = tokens[t].substr(0, eq);
            if (out.options.count(key)) {
                if (error) *error = key + "= is given twice";
                return std::nullopt;
            }
            out.options[key] = tokens[t].substr(eq + 1);
        } else
            out.words.push_back(tokens[t]);
    }
    return out;
}

std::string DefaultMediumFolder() { return std::string(KORVEL_SOURCE_DIR) + "/medium"; }

bool Scenario::Fail(std::string* error, int line, const std::string& what, const char* expected) const
{
    if (error) {
        *error = m_source + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": error: " + what;
        if (expected) *error += " (expected: " + std::string(expected) + ")";
    }
    return false;
}

bool Scenario::Load(const std::string& path, std::string* error)
{
    m_source = path;
    std::ifstream in(path);
    if (!in) return Fail(error, 0, "cannot read the scenario file");
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str(), std::filesystem::absolute(path).parent_path().string(), error);
}

bool Scenario::Parse(const std::string& text, const std::string& baseDir, std::string* error)
{
    mediumFolder = DefaultMediumFolder();
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        if (number == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        std::string message;
        std::optional<ScenarioLine> line = ParseScenarioLine(raw, &message);
        if (!line) return Fail(error, number, message);
        line->number = number;
        if (line->keyword.empty()) continue;
        const std::string& k = line->keyword;
        const Statement* statement = FindStatement(k);
        if (!statement) {
            std::vector<std::string> keywords;
            for (const Statement& st : kStatements) keywords.push_back(st.keyword);
            return Fail(error, number,
                        "unknown statement \"" + k + "\" (the statements: " + Join(keywords, "", "") + ")");
        }
        std::string wrong = CheckShape(*statement, *line);
        if (!wrong.empty()) return Fail(error, number, wrong, statement->form);
        if (k == "medium") {
            std::filesystem::path p(line->words[0]);
            mediumFolder = (p.is_absolute() ? p : std::filesystem::path(baseDir) / p).lexically_normal().string();
            m_mediumLine = number;
        } else if (k == "program") {
            programPath = U16(line->words[0]);
        } else if (k == "time-scale") {
            ParseTimeScale(line->words[0], &timeScale);
        } else if (k == "usb") {
            if (m_usb)
                return Fail(error, number,
                            "a second USB printer (line " + std::to_string(m_usb->number) +
                                " has one): one USB printer per scenario");
            m_usb = *line;
        } else {
            m_lines.push_back(*line);
        }
    }
    return true;
}

bool Scenario::Apply(std::string* error) const
{
    std::error_code ec;
    if (!std::filesystem::is_directory(mediumFolder, ec))
        return Fail(error, m_mediumLine, "the setup medium folder " + mediumFolder + " does not exist");
    sim::SetTimeScale(timeScale);
    sim::MapDrive(static_cast<char>(programPath[0]), mediumFolder);
    sim::SetModulePath(programPath);
    // The lines have the right shape (Parse checked them): numbers are numbers.
    auto number = [](const std::string* text) {
        long n = 0;
        if (text) ParseNumber(*text, &n);
        return n;
    };
    for (const ScenarioLine& line : m_lines) {
        const std::string& k = line.keyword;
        if (k == "code-page") {
            sim::SetCodePage(static_cast<UINT>(number(&line.words[0])));
        } else if (k == "printer") {
            std::u16string name = U16(line.words[0]);
            for (const sim::PrinterState& p : sim::Printers())
                if (SameName(p.name, name))
                    return Fail(error, line.number, "a printer \"" + text::ToUtf8(p.name) + "\" is there already",
                                "one printer statement per name, without regard to letter case");
            sim::AddPrinterDriver(U16(*line.Option("driver")));
            if (!sim::AddLocalPrinter(name, U16(*line.Option("driver")), U16(*line.Option("port")),
                                      static_cast<int>(number(line.Option("jobs")))))
                return Fail(error, line.number, "the printer cannot be added (is its name empty?)",
                            "printer NAME driver=DRIVER port=PORT [jobs=N]");
        } else if (k == "connection") {
            const std::string& w = line.words[0];
            size_t slash = w.find('\\', 2);
            sim::AddPrinterConnection(U16(w.substr(2, slash - 2)), U16(w.substr(slash + 1)),
                                      U16(*line.Option("driver")));
        } else if (k == "driver") {
            sim::AddPrinterDriver(U16(line.words[0]));
        } else if (k == "ports") {
            std::vector<std::u16string> ports;
            for (const std::string& w : line.words) ports.push_back(U16(w));
            sim::SetPorts(ports);
        } else if (k == "port") {
            sim::AddPort(U16(line.words[0]));
        } else if (k == "default") {
            sim::SetDefaultPrinterName(U16(line.words[0]));
        } else if (k == "rundll32") {
            sim::Rundll32Behaviour b;
            b.startError = static_cast<DWORD>(number(line.Option("fail")));
            b.runMs = static_cast<DWORD>(number(line.Option("run")));
            b.outlivesWaits = !line.words.empty();
            sim::SetRundll32Behaviour(b);
        } else if (k == "driver-update") {
            sim::FailDriverUpdates(static_cast<DWORD>(number(line.Option("fail"))));
            const std::string* reboot = line.Option("reboot");
            sim::SetDriverUpdatesAskRestart(reboot && *reboot == "yes");
        } else if (k == "command-line") {
            // As Windows hands it over: the program's path in quotation marks, then the arguments.
            sim::SetCommandLine(u"\"" + programPath + u"\" " + U16(line.words[0]));
        } else if (k == "raw-command-line") {
            sim::SetCommandLine(U16(line.words[0]));  // exactly as GetCommandLineW returns it
        } else if (k == "wow64") {
            // 64-bit Windows, the 32-bit program, and beside it KorvelSetup64.exe, which
            // runs as the same program in 64-bit (the build's stand-in, unless the
            // medium holds a file of that name).
            sim::SetWow64(true);
            std::u16string sibling = programPath.substr(0, programPath.find_last_of(u'\\') + 1) + u"KorvelSetup64.exe";
            if (::GetFileAttributesW(sibling.c_str()) == INVALID_FILE_ATTRIBUTES) {
                std::ifstream image(KORVEL_SIM_SIBLING_EXE, std::ios::binary);
                std::stringstream bytes;
                bytes << image.rdbuf();
                sim::SetMemoryFile(sibling, bytes.str());
            }
            sim::SetProgramImage(sibling, RunProgramAsSibling);
        } else if (k == "clock") {
            int t[6] = {0};
            ParseClock(line, t);
            sim::StopClock(static_cast<WORD>(t[0]), static_cast<WORD>(t[1]), static_cast<WORD>(t[2]),
                           static_cast<WORD>(t[3]), static_cast<WORD>(t[4]), static_cast<WORD>(t[5]));
        } else if (k == "config-manager") {
            sim::SetConfigManagerResults(static_cast<DWORD>(number(line.Option("locate"))),
                                         static_cast<DWORD>(number(line.Option("reenumerate"))));
        } else if (k == "account") {
            sim::SetSystemAccount(line.words[0] == "system");
        } else if (k == "fail") {
            long times = line.words.size() == 3 ? number(&line.words[2]) : -1;
            sim::FailCall(line.words[0], static_cast<DWORD>(number(&line.words[1])), static_cast<int>(times));
        }
    }
    if (!CheckSpooler(error)) return false;
    if (m_usb) {
        const std::string* plugged = m_usb->Option("plugged");
        if (!plugged || *plugged != "no") return PlugUsb(error);
    }
    return true;
}

// The spooler as the scenario leaves it must be one Windows could have: every
// printer on one of its ports, the default printer one of its printers.
bool Scenario::CheckSpooler(std::string* error) const
{
    std::vector<std::u16string> ports = sim::Ports();
    std::vector<sim::PrinterState> printers = sim::Printers();
    for (const ScenarioLine& line : m_lines) {
        if (line.keyword == "printer") {
            std::u16string port = U16(*line.Option("port"));
            bool found = false;
            for (const std::u16string& p : ports) found = found || SameName(p, port);
            if (found) continue;
            std::vector<std::string> names;
            for (const std::u16string& p : ports) names.push_back(text::ToUtf8(p));
            return Fail(
                error, line.number,
                "printer \"" + line.words[0] + "\" is on port " + *line.Option("port") +
                    ", which the spooler does not have (its ports: " +
                    (names.empty() ? std::string("none") : Join(names, "", "")) + ")",
                ("a port the spooler has, or add it with a line \"port " + *line.Option("port") + "\"").c_str());
        }
        if (line.keyword == "default") {
            std::u16string name = U16(line.words[0]);
            bool found = false;
            for (const sim::PrinterState& p : printers) found = found || SameName(p.name, name);
            if (found) continue;
            std::vector<std::string> names;
            for (const sim::PrinterState& p : printers) names.push_back(text::ToUtf8(p.name));
            return Fail(error, line.number,
                        "default \"" + line.words[0] + "\" names no printer of the scenario (its printers: " +
                            (names.empty() ? std::string("none") : Join(names, "\"", "\"")) + ")",
                        "default NAME, where a printer or connection statement adds NAME");
        }
    }
    return true;
}

bool Scenario::PlugUsb(std::string* error) const
{
    if (!m_usb) {
        if (error) *error = "the scenario has no USB printer";
        return false;
    }
    if (!sim::PresentUsbPrinters().empty()) {
        if (error) *error = "the USB printer is plugged in already";
        return false;
    }
    const ScenarioLine& u = *m_usb;
    sim::TypicalUsbPrinter p;
    p.deviceId = DeviceIdOf(u);
    if (const std::string* v = u.Option("vid")) p.vid = *v;
    if (const std::string* v = u.Option("pid")) p.pid = *v;
    if (const std::string* v = u.Option("serial")) p.serial = *v;
    long number = 0;
    // The line's values were checked when it was read.
    if (const std::string* v = u.Option("port-number"); v && ParseNumber(*v, &number))
        p.portNumber = static_cast<DWORD>(number);
    if (const std::string* v = u.Option("linked"); v && ParseNumber(*v, &number)) p.linked = static_cast<DWORD>(number);
    if (const std::string* v = u.Option("answer")) {
        if (*v == "now") {
            p.answer = sim::DeviceIdAnswer::AtOnce;
        } else if (*v == "never") {
            p.answer = sim::DeviceIdAnswer::Never;
        } else if (*v == "fail") {
            p.answer = sim::DeviceIdAnswer::Fail;
        } else if (v->rfind("ignore-cancel", 0) == 0) {
            p.answer = sim::DeviceIdAnswer::IgnoresCancel;
            if (v->size() > 14 && ParseNumber(v->substr(14), &number)) p.answerDelayMs = static_cast<DWORD>(number);
        } else if (ParseNumber(v->substr(5), &number)) {
            p.answer = sim::DeviceIdAnswer::AfterDelay;
            p.answerDelayMs = static_cast<DWORD>(number);
        }
    }
    // Without hardware-id= the printer has the ID Windows' USB printing driver forms
    // from its device ID (the line was checked to name a maker and a model).
    std::string formed;
    if (const std::string* v = u.Option("hardware-id"))
        p.hardwareIds.push_back(U16(*v));
    else if (usbprint::HardwareIdOfDeviceId(p.deviceId, &formed))
        p.hardwareIds.push_back(U16(formed));
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

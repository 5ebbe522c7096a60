#include "tools/simulator/runner.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/text.h"
#include "platform/windowing.h"
#include "res/resource.h"
#include "tools/simulator/transcript.h"

namespace simulator {

namespace {
// A wizard that needs longer than this to settle is reported, not waited for.
const std::chrono::seconds kSettleLimit(180);

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}
}  // namespace

void SplitAction(const std::string& line, std::string& verb, std::string& argument)
{
    std::string t = Trim(line);
    size_t blank = t.find_first_of(" \t");
    verb = t.substr(0, blank);
    argument = blank == std::string::npos ? std::string() : Trim(t.substr(blank + 1));
}

Runner::Runner(std::ostream& out) : m_out(out) {}

bool Runner::Settle()
{
    if (sim::ui::WaitStable(std::chrono::duration_cast<std::chrono::milliseconds>(kSettleLimit))) return true;
    m_out << "note: the wizard did not settle within " << kSettleLimit.count() << " s\n";
    return false;
}

bool Runner::Act(const std::string& verb, const std::string& argument, std::string* why)
{
    using sim::ui::Button;
    if (verb == "next") return sim::ui::Press(Button::Next, why);
    if (verb == "back") return sim::ui::Press(Button::Back, why);
    if (verb == "finish") return sim::ui::Press(Button::Finish, why);
    if (verb == "cancel") return sim::ui::Press(Button::Cancel, why);
    if (verb == "close") return sim::ui::CloseSheet(why);
    if (verb == "escape") return sim::ui::PressEscape(why);
    if (verb == "series") return sim::ui::Choose(IDC_SERIES_COMBO, text::FromUtf8(argument), why);
    if (verb == "model") return sim::ui::Choose(IDC_MODEL_LIST, text::FromUtf8(argument), why);
    if (verb == "port") return sim::ui::Choose(IDC_PORT_LIST, text::FromUtf8(argument), why);
    if (verb == "answer") {
        if (argument == "ok") return sim::ui::AnswerBox(IDOK, why);
        if (argument == "cancel") return sim::ui::AnswerBox(IDCANCEL, why);
        *why = "answer ok or answer cancel";
        return false;
    }
    if (verb == "wait") {
        int ms = std::atoi(argument.c_str());
        std::this_thread::sleep_for(sim::Scaled(static_cast<DWORD>(ms < 0 ? 0 : ms)));
        return true;
    }
    if (verb == "plug" || verb == "unplug") {
        const auto& fn = verb == "plug" ? plug : unplug;
        if (!fn) {
            *why = "the scenario has no USB printer";
            return false;
        }
        return fn(why);
    }
    *why = "unknown action";
    return false;
}

bool Runner::Step(const std::string& line)
{
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') return true;
    std::string verb, argument;
    SplitAction(trimmed, verb, argument);
    m_out << "> " << trimmed << "\n";
    if (verb == "show") {
        Settle();
        PrintState(true);
        return true;
    }
    bool wait = true;
    if (verb == "nowait") {
        // Act while the program is busy: print the state once it has held still for a
        // moment, and go on to the next action at once.
        wait = false;
        SplitAction(argument, verb, argument);
    }
    std::string why;
    bool known = true;
    if (!Act(verb, argument, &why)) {
        known = why != "unknown action";
        m_out << "refused: " << why << "\n";
    }
    if (wait)
        Settle();
    else
        SettleBriefly();
    PrintState(false);
    return known;
}

void Runner::SettleBriefly()
{
    // The visible state must stay the same for a short while, as the UI driver waits
    // for on a real machine.
    const auto hold = std::chrono::milliseconds(50);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> last;
    auto since = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
        sim::ui::WaitIdle(std::chrono::seconds(1));
        std::vector<std::string> now = PageLines(sim::ui::Take());
        if (now != last) {
            last = now;
            since = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - since >= hold) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Runner::PrintEvents()
{
    // What the program did that the user does not see on the page: command lines it
    // ran, driver updates, standard output.
    std::vector<std::string> log = sim::LogLines();
    for (; m_logSeen < log.size(); ++m_logSeen) {
        const std::string& l = log[m_logSeen];
        for (const char* prefix : {"run ", "driver-update ", "delete-printer ", "delete-driver ", "reenumerate "})
            if (l.rfind(prefix, 0) == 0) m_out << l << "\n";
    }
    std::string out = sim::StdoutText();
    while (m_stdoutSeen < out.size()) {
        size_t end = out.find('\n', m_stdoutSeen);
        if (end == std::string::npos) end = out.size();
        m_out << "stdout " << Quote(text::FromUtf8(out.substr(m_stdoutSeen, end - m_stdoutSeen))) << "\n";
        m_stdoutSeen = end + 1;
    }
}

void Runner::PrintState(bool force)
{
    PrintEvents();
    sim::ui::Snapshot s = sim::ui::Take();
    std::vector<std::string> page = PageLines(s);
    if (!page.empty() && (force || page != m_lastPage)) {
        for (const std::string& l : page) m_out << l << "\n";
        m_lastPage = page;
    }
    // Every box shown since the last print, in order (one may have replaced another).
    std::vector<sim::ui::BoxState> history = sim::ui::BoxHistory();
    if (force && m_boxesPrinted == history.size())
        for (const sim::ui::BoxState& box : s.boxes) m_out << BoxLine(box) << "\n";
    for (; m_boxesPrinted < history.size(); ++m_boxesPrinted) m_out << BoxLine(history[m_boxesPrinted]) << "\n";
    if (!sim::ui::ProgramRunning() && !m_endPrinted) {
        m_out << "program ended\n";
        m_endPrinted = true;
    }
}

}  // namespace simulator

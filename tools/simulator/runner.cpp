#include "tools/simulator/runner.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/text.h"
#include "platform/windowing.h"
#include "res/resource.h"
#include "tools/script/script.h"
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

Runner::Runner(std::ostream& out) : m_out(out) {}

bool Runner::Settle()
{
    if (sim::ui::WaitStable(std::chrono::duration_cast<std::chrono::milliseconds>(kSettleLimit))) return true;
    m_out << "note: the wizard did not settle within " << kSettleLimit.count() << " s\n";
    return false;
}

bool Runner::Act(const script::Action& a, std::string* why)
{
    using script::Verb;
    using sim::ui::Button;
    switch (a.verb) {
    case Verb::Next: return sim::ui::Press(Button::Next, why);
    case Verb::Back: return sim::ui::Press(Button::Back, why);
    case Verb::Finish: return sim::ui::Press(Button::Finish, why);
    case Verb::Cancel: return sim::ui::Press(Button::Cancel, why);
    case Verb::Close: return sim::ui::CloseSheet(why);
    case Verb::Escape: return sim::ui::PressEscape(why);
    case Verb::Series: return sim::ui::Choose(IDC_SERIES_COMBO, text::FromUtf8(a.text), why);
    case Verb::Model: return sim::ui::Choose(IDC_MODEL_LIST, text::FromUtf8(a.text), why);
    case Verb::Port: return sim::ui::Choose(IDC_PORT_LIST, text::FromUtf8(a.text), why);
    case Verb::AnswerOk: return sim::ui::AnswerBox(IDOK, why);
    case Verb::AnswerCancel: return sim::ui::AnswerBox(IDCANCEL, why);
    case Verb::Wait: std::this_thread::sleep_for(sim::Scaled(static_cast<DWORD>(a.ms))); return true;
    case Verb::Plug:
    case Verb::Unplug: {
        const auto& fn = a.verb == Verb::Plug ? plug : unplug;
        if (!fn) {
            *why = "the scenario has no USB printer";
            return false;
        }
        return fn(why);
    }
    case Verb::Show: return true;
    }
    return true;
}

bool Runner::Step(const std::string& line)
{
    script::Action action;
    bool isAction = false;
    std::string error;
    if (!script::ParseLine(line, &action, &isAction, &error)) {
        Refuse(Trim(line), error);
        return false;
    }
    if (isAction) Do(action);
    return true;
}

void Runner::Do(const script::Action& action)
{
    m_out << "> " << action.line << "\n";
    if (action.verb == script::Verb::Show) {
        Settle();
        PrintState(true);
        return;
    }
    std::string why;
    if (!Act(action, &why)) m_out << "refused: " << why << "\n";
    // After a "nowait" action the state is printed once it has held still for a
    // moment, and the next action follows at once, while the program may still work.
    if (action.noWait)
        SettleBriefly();
    else
        Settle();
    PrintState(false);
}

void Runner::Refuse(const std::string& echo, const std::string& why)
{
    m_out << "> " << echo << "\n"
          << "refused: " << why << "\n";
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
    // ran, driver updates, deletions, printer handles closed, standard output.
    std::vector<std::string> log = sim::LogLines();
    for (; m_logSeen < log.size(); ++m_logSeen) {
        const std::string& l = log[m_logSeen];
        for (const char* prefix : {"run ", "driver-update ", "delete-printer ", "delete-driver ", "close-printer ",
                                   "reenumerate ", "CreateProcessW "})
            if (l.rfind(prefix, 0) == 0) m_out << NamedErrors(l) << "\n";
    }
    PrintStream("stdout", sim::StdoutText(), &m_stdoutSeen);
    PrintStream("stderr", sim::StderrText(), &m_stderrSeen);
}

void Runner::PrintStream(const char* name, const std::string& text, size_t* seen)
{
    while (*seen < text.size()) {
        size_t end = text.find('\n', *seen);
        if (end == std::string::npos) end = text.size();
        m_out << name << " " << Quote(text::FromUtf8(text.substr(*seen, end - *seen))) << "\n";
        *seen = end + 1;
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
        m_out << "program ended\n"
              << "exit-code " << sim::ui::ProgramExitCode() << "\n";
        m_endPrinted = true;
    }
}

}  // namespace simulator

#include "tools/script/script.h"

#include <cstdlib>
#include <istream>
#include <ostream>
#include <set>
#include <sstream>

namespace script {

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return s.substr(b, e - b);
}

struct Word {
    const char* name;
    Verb verb;
};
const Word kPlainVerbs[] = {{"next", Verb::Next},     {"back", Verb::Back},   {"finish", Verb::Finish},
                            {"cancel", Verb::Cancel}, {"close", Verb::Close}, {"escape", Verb::Escape},
                            {"show", Verb::Show},     {"plug", Verb::Plug},   {"unplug", Verb::Unplug}};
const Word kItemVerbs[] = {{"series", Verb::Series}, {"model", Verb::Model}, {"port", Verb::Port}};

const char* KindWord(ControlKind kind) { return kind == ControlKind::Combo ? "combo" : "list"; }

}  // namespace

bool ParseLine(const std::string& raw, Action* action, bool* isAction, std::string* error)
{
    std::string line = Trim(raw);
    *isAction = false;
    if (line.empty() || line[0] == '#') return true;
    Action a;
    a.line = line;
    std::string rest = line;
    if (rest.compare(0, 7, "nowait ") == 0) {
        a.noWait = true;
        rest = Trim(rest.substr(7));
    }
    size_t space = rest.find(' ');
    std::string word = rest.substr(0, space);
    std::string arg = space == std::string::npos ? std::string() : Trim(rest.substr(space + 1));
    for (const Word& w : kPlainVerbs) {
        if (word == w.name) {
            if (!arg.empty()) {
                *error = "'" + word + "' takes nothing after it (expected: " + word + ")";
                return false;
            }
            a.verb = w.verb;
            *action = a;
            *isAction = true;
            return true;
        }
    }
    for (const Word& w : kItemVerbs) {
        if (word == w.name) {
            if (arg.empty()) {
                *error = "'" + word + "' needs the text of an item (expected: " + word + " TEXT)";
                return false;
            }
            a.verb = w.verb;
            a.text = arg;
            *action = a;
            *isAction = true;
            return true;
        }
    }
    if (word == "answer") {
        if (arg != "ok" && arg != "cancel") {
            *error = "'answer' takes ok or cancel (expected: answer ok, or answer cancel)";
            return false;
        }
        a.verb = arg == "ok" ? Verb::AnswerOk : Verb::AnswerCancel;
        *action = a;
        *isAction = true;
        return true;
    }
    if (word == "wait") {
        char* end = nullptr;
        long ms = std::strtol(arg.c_str(), &end, 10);
        if (arg.empty() || *end != 0 || ms < 0 || ms > 600000) {
            *error = "'wait' takes a number of milliseconds from 0 to 600000 (expected: wait MS, e.g. wait 1000)";
            return false;
        }
        a.verb = Verb::Wait;
        a.ms = static_cast<int>(ms);
        *action = a;
        *isAction = true;
        return true;
    }
    if (word == "nowait") {
        *error = "'nowait' needs one action after it (expected: nowait ACTION, e.g. nowait finish)";
        return false;
    }
    *error = "unknown action '" + word +
             "' (expected one of: next, back, finish, cancel, close, escape, series TEXT, model TEXT, port TEXT, "
             "answer ok, answer cancel, wait MS, show, plug, unplug, nowait ACTION)";
    return false;
}

bool ParseScript(std::istream& in, std::vector<Action>* actions, std::string* error)
{
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        Action a;
        bool isAction = false;
        std::string why;
        if (!ParseLine(line, &a, &isAction, &why)) {
            *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        if (isAction) actions->push_back(a);
    }
    return true;
}

std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

std::string FormatPage(const State& state)
{
    std::ostringstream out;
    out << "page " << state.page << " " << Quote(state.title) << "\n";
    for (const Control& c : state.controls) {
        out << "  " << c.id;
        if (!c.visible) out << " (hidden)";
        if (!c.enabled) out << " (disabled)";
        if (c.kind == ControlKind::Combo || c.kind == ControlKind::List) {
            out << " " << KindWord(c.kind) << " [";
            for (size_t i = 0; i < c.items.size(); ++i) {
                if (i) out << ", ";
                if (static_cast<int>(i) == c.selection) out << "*";
                out << Quote(c.items[i]);
            }
            out << "]";
        } else {
            out << " " << Quote(c.text);
        }
        out << "\n";
    }
    out << "  buttons:";
    const struct {
        const char* name;
        const Button& button;
    } buttons[] = {{"Back", state.back}, {"Next", state.next}, {"Finish", state.finish}, {"Cancel", state.cancel}};
    for (const auto& b : buttons)
        if (b.button.shown) out << " " << b.name << (b.button.enabled ? "=on" : "=off");
    out << "\n";
    return out.str();
}

std::string FormatBox(const Box& box)
{
    std::string out = "box " + Quote(box.caption) + " " + Quote(box.text) + " [";
    for (size_t i = 0; i < box.buttons.size(); ++i) out += (i ? " " : "") + box.buttons[i];
    return out + "]\n";
}

namespace {

class Printer {
public:
    Printer(Target& target, std::ostream& out) : m_target(target), m_out(out) {}

    void Print(bool force)
    {
        State s = m_target.Read();
        bool printed = false;
        if (s.ended) {
            if (!m_endedPrinted) {
                m_out << "program ended\n";
                m_endedPrinted = printed = true;
            }
        } else {
            if (s.sheet) {
                std::string page = FormatPage(s);
                if (force || page != m_lastPage) {
                    m_out << page;
                    m_lastPage = page;
                    printed = true;
                }
            }
            bool anyNew = false;
            for (const Box& b : s.boxes) {
                if (m_boxesSeen.insert(b.id).second) {
                    m_out << FormatBox(b);
                    anyNew = printed = true;
                }
            }
            if (force && !anyNew) {
                for (const Box& b : s.boxes) {
                    m_out << FormatBox(b);
                    printed = true;
                }
            }
        }
        m_out.flush();
        if (printed) m_target.Printed(s, m_count++);
    }

private:
    Target& m_target;
    std::ostream& m_out;
    std::string m_lastPage;
    std::set<unsigned long long> m_boxesSeen;
    bool m_endedPrinted = false;
    int m_count = 0;
};

}  // namespace

int Run(const std::vector<Action>& actions, Target& target, std::ostream& out)
{
    Printer printer(target, out);
    auto timeout = [&] {
        printer.Print(false);
        out << "timeout: the program did not come to rest\n";
        out.flush();
        return kRunTimeout;
    };
    if (!target.Settle(false, false)) return timeout();
    printer.Print(false);
    for (const Action& a : actions) {
        out << "> " << a.line << "\n";
        bool afterAction = true;
        if (a.verb == Verb::Show) {
            afterAction = false;
        } else if (a.verb == Verb::Wait) {
            target.Pause(a.ms);
        } else {
            std::string why;
            if (!target.Act(a, &why)) {
                out << "refused: " << why << "\n";
                afterAction = false;  // nothing was done: nothing to wait for
            }
        }
        if (!target.Settle(afterAction, a.noWait)) return timeout();
        printer.Print(a.verb == Verb::Show);
    }
    return kRunOk;
}

}  // namespace script

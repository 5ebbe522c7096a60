#include "tools/simulator/interactive.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ostream>
#include <string>

#include "platform/sim/control_ui.h"
#include "platform/text.h"
#include "res/resource.h"
#include "tools/script/script.h"
#include "tools/simulator/runner.h"

namespace simulator {

const char kInteractiveKeys[] =
    "keys (each acts at once):\n"
    "  n next, b back, f finish, c cancel, x the close box, e Escape\n"
    "  s / m / p  choose a series, model or port by its number (asked for next)\n"
    "  o / k      answer the message box with OK / Cancel\n"
    "  u / d      plug the scenario's USB printer in / unplug it\n"
    "  w          wait a second\n"
    "  :          type a line of the script format, then Enter (\":series KX Series\")\n"
    "  ?          these keys\n"
    "  q          quit (so do Ctrl-D and Ctrl-C)\n";

namespace {

// --- the terminal -----------------------------------------------------------------------
// Set once before any handler is installed and only read afterwards, so the signal
// handlers may use them.
struct termios g_cooked;
struct termios g_raw;
volatile sig_atomic_t g_haveTerminal = 0;

void SetTerminal(const struct termios& mode)
{
    if (g_haveTerminal) ::tcsetattr(STDIN_FILENO, TCSANOW, &mode);
}

// A signal that ends the simulator: the terminal first, then the signal's own effect,
// so that the shell sees the usual exit status.
void OnEndingSignal(int signal)
{
    SetTerminal(g_cooked);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void OnSuspend(int)
{
    SetTerminal(g_cooked);
    ::signal(SIGTSTP, SIG_DFL);
    ::raise(SIGTSTP);  // delivered when this handler returns: the job stops
}

void OnResume(int)
{
    SetTerminal(g_raw);
    ::signal(SIGTSTP, OnSuspend);
}

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Raw mode for the life of the object: keys arrive one by one, unechoed; Ctrl-C
// and Ctrl-Z keep their meaning. Without a terminal nothing changes, and keys
// arrive a line at a time.
class RawTerminal {
public:
    RawTerminal()
    {
        if (::tcgetattr(STDIN_FILENO, &g_cooked) != 0) return;
        g_raw = g_cooked;
        g_raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        g_raw.c_cc[VMIN] = 1;
        g_raw.c_cc[VTIME] = 0;
        g_haveTerminal = 1;
        for (int s : kEndingSignals) ::signal(s, OnEndingSignal);
        ::signal(SIGTSTP, OnSuspend);
        ::signal(SIGCONT, OnResume);
        SetTerminal(g_raw);
    }
    ~RawTerminal()
    {
        if (!g_haveTerminal) return;
        SetTerminal(g_cooked);
        for (int s : kEndingSignals) ::signal(s, SIG_DFL);
        ::signal(SIGTSTP, SIG_DFL);
        ::signal(SIGCONT, SIG_DFL);
        g_haveTerminal = 0;
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;
};

// One byte of input; -1 at the end of input. It waits in poll, not in read: a
// runtime that holds signals back until its next intercepted call
// (ThreadSanitizer's) would otherwise keep Ctrl-C waiting for a key.
int ReadByte()
{
    for (;;) {
        struct pollfd in = {STDIN_FILENO, POLLIN, 0};
        int ready = ::poll(&in, 1, 250);
        if (ready == 0 || (ready < 0 && errno == EINTR)) continue;  // EINTR: a resumed job
        unsigned char c = 0;
        ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n == 1) return c;
        if (n < 0 && errno == EINTR) continue;
        return -1;
    }
}

// A line typed with the terminal's own echo and editing; false at the end of input.
bool ReadLine(std::string* line)
{
    SetTerminal(g_cooked);
    line->clear();
    int c;
    while ((c = ReadByte()) >= 0 && c != '\n') line->push_back(static_cast<char>(c));
    SetTerminal(g_raw);
    return c >= 0 || !line->empty();
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// How a key that means nothing is named in the answer.
std::string KeyName(int c)
{
    if (c == 0x1B) {
        // An arrow or function key sends a sequence starting with Escape: read it all,
        // so that its other bytes do not count as keys of their own.
        struct pollfd more = {STDIN_FILENO, POLLIN, 0};
        bool sequence = false;
        while (::poll(&more, 1, 30) == 1 && ReadByte() >= 0) sequence = true;
        return sequence ? "(an arrow or function key)" : "Esc (e presses Escape in the wizard)";
    }
    if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", c);
    return hex;
}

struct KeyAction {
    char key;
    const char* line;
};
const KeyAction kKeyActions[] = {{'n', "next"},  {'b', "back"},   {'f', "finish"},    {'c', "cancel"},
                                 {'x', "close"}, {'e', "escape"}, {'o', "answer ok"}, {'k', "answer cancel"},
                                 {'u', "plug"},  {'d', "unplug"}, {'w', "wait 1000"}};

struct ListKey {
    char key;
    int control;
    script::Verb verb;
    const char* verbWord;
    const char* what;
};
const ListKey kListKeys[] = {{'s', IDC_SERIES_COMBO, script::Verb::Series, "series", "series box"},
                             {'m', IDC_MODEL_LIST, script::Verb::Model, "model", "model list"},
                             {'p', IDC_PORT_LIST, script::Verb::Port, "port", "port list"}};

// s, m or p: asks for the item's number and chooses that item.
void ChooseByNumber(const ListKey& list, Runner& runner, std::ostream& out)
{
    std::string key(1, list.key);
    sim::ui::Snapshot snapshot = sim::ui::Take();
    const sim::ui::ControlState* control = snapshot.Control(list.control);
    if (!control || !control->visible) {
        runner.Refuse(key, std::string("this page has no ") + list.what);
        return;
    }
    size_t count = control->items.size();
    if (count == 0) {
        runner.Refuse(key, std::string("the ") + list.what + " is empty");
        return;
    }
    std::string range = count == 1 ? "1" : "1 to " + std::to_string(count);
    out << list.verbWord << " number (" << range << "; Enter alone: none): " << std::flush;
    std::string typed;
    if (!ReadLine(&typed)) return;
    typed = Trim(typed);
    if (typed.empty()) return;
    size_t n = 0;
    bool digits = typed.size() <= 9 && typed.find_first_not_of("0123456789") == std::string::npos;
    if (digits) n = std::stoul(typed);
    if (n < 1 || n > count) {
        std::string items = count == 1 ? "1 item" : std::to_string(count) + " items";
        runner.Refuse(key + " " + typed, std::string(digits ? "" : "\"" + typed + "\" is not a number: ") + "the " +
                                             list.what + " has " + items + ": type a number from " + range);
        return;
    }
    // The item exactly as the list holds it, blanks and all.
    script::Action action;
    action.verb = list.verb;
    action.text = text::ToUtf8(control->items[n - 1]);
    action.line = std::string(list.verbWord) + " " + action.text;
    runner.Do(action);
}

}  // namespace

SessionEnd RunInteractive(Runner& runner, std::ostream& out)
{
    RawTerminal terminal;
    const char prompt[] = "key (? for help): ";
    while (sim::ui::ProgramRunning()) {
        out << prompt << std::flush;
        int c = ReadByte();
        // The prompt gives way to what the key does.
        out << "\r\033[K";
        if (c < 0 || c == 'q' || c == 0x04) return SessionEnd::Quit;
        if (c == '\n' || c == '\r' || c == ' ') continue;
        bool handled = false;
        for (const KeyAction& k : kKeyActions) {
            if (c == k.key) {
                runner.Step(k.line);
                handled = true;
            }
        }
        for (const ListKey& list : kListKeys) {
            if (c == list.key) {
                ChooseByNumber(list, runner, out);
                handled = true;
            }
        }
        if (c == '?') {
            out << kInteractiveKeys;
        } else if (c == ':') {
            out << ":" << std::flush;
            std::string line;
            if (!ReadLine(&line)) return SessionEnd::Quit;
            runner.Step(line);
        } else if (!handled) {
            out << "unknown key " << KeyName(c) << ": press ? for the keys\n";
        }
        out << std::flush;
    }
    return SessionEnd::ProgramEnded;
}

}  // namespace simulator

// Scripts of user actions and the transcripts of what the user saw, shared by the
// runners that drive the wizard (see docs/script-format.md). Plain C++, UTF-8 text;
// a runner supplies the machine-specific part through Target.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace script {

enum class Verb {
    Next,
    Back,
    Finish,
    Cancel,
    Close,
    Escape,
    Series,
    Model,
    Port,
    AnswerOk,
    AnswerCancel,
    Wait,
    Show,
    Plug,
    Unplug
};

struct Action {
    Verb verb = Verb::Show;
    std::string text;     // the item of series/model/port
    int ms = 0;           // wait
    bool noWait = false;  // "nowait ACTION": do not wait for the program to become idle
    std::string line;     // the line as written, without surrounding blanks
};

// Parses one script line. Returns false with *error set for a line that is not an
// action; true otherwise, with *isAction false for blank and comment lines.
bool ParseLine(const std::string& line, Action* action, bool* isAction, std::string* error);
// Parses a whole script; stops at the first bad line ("line N: ...").
bool ParseScript(std::istream& in, std::vector<Action>* actions, std::string* error);

// --- what the user sees ----------------------------------------------------------------
enum class ControlKind { Static, Combo, List, Other };

struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string text;                // static (and other) controls
    std::vector<std::string> items;  // lists and combo boxes
    int selection = -1;
    bool visible = true;
    bool enabled = true;
};

struct Button {
    bool shown = false;
    bool enabled = false;
};

struct Box {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;  // "OK", "Cancel", ... left to right
    unsigned long long id = 0;         // tells boxes apart (a window handle); not printed
};

struct State {
    bool ended = false;             // the program has ended
    bool sheet = false;             // the wizard sheet is open
    int page = 0;                   // 1-based position of the active page
    std::string title;              // the sheet window's title
    std::vector<Control> controls;  // the active page's, in template order, no picture
    Button back, next, finish, cancel;
    std::vector<Box> boxes;  // open message boxes, oldest first
};

// A text between double quotes with \" \\ \n \r escaped.
std::string Quote(const std::string& text);
// The page block: the page line, one line per control, the buttons line.
std::string FormatPage(const State& state);
std::string FormatBox(const Box& box);

// --- running a script ------------------------------------------------------------------
class Target {
public:
    virtual ~Target() = default;
    // Waits until nothing more happens by itself (or, after a "nowait" action, until
    // the visible state has stopped changing). False on time-out.
    virtual bool Settle(bool afterAction, bool noWait) = 0;
    virtual State Read() = 0;
    // Takes the action as a user would; false with *why when a user could not.
    virtual bool Act(const Action& action, std::string* why) = 0;
    virtual void Pause(int ms) = 0;
    // Called after a state was printed (for screenshots); index counts from 0.
    virtual void Printed(const State&, int) {}
};

enum RunResult { kRunOk = 0, kRunTimeout = 3 };

// Prints the first state, then for each action its echo and what followed: the page
// when it changed, each message box once when it has appeared (all open boxes again
// for "show"), "program ended" once. Stops at a time-out (with a line "timeout: ...").
// The simulator prints the same way (tools/simulator).
int Run(const std::vector<Action>& actions, Target& target, std::ostream& out);

}  // namespace script

// Scripts and transcripts: what a runner reads and prints, independent of the
// machine it drives.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "tools/script/script.h"

namespace {

using script::Action;
using script::Verb;

std::vector<Action> Parse(const std::string& text, std::string* error = nullptr)
{
    std::istringstream in(text);
    std::vector<Action> actions;
    std::string why;
    bool ok = script::ParseScript(in, &actions, &why);
    if (error) *error = ok ? std::string() : why;
    return actions;
}

TEST(ScriptParse, ReadsEveryActionAndSkipsCommentsAndBlankLines)
{
    std::string error;
    auto actions = Parse(
        "\xEF\xBB\xBF# a comment\n\nnext\r\n  back  \nfinish\ncancel\nclose\nescape\n"
        "series TQ-900  Series \nmodel TQ-960\nport LPT1:\nanswer ok\nanswer cancel\n"
        "wait 250\nshow\nplug\nunplug\nnowait finish\n",
        &error);
    ASSERT_EQ(error, "");
    std::vector<Verb> verbs;
    for (const Action& a : actions) verbs.push_back(a.verb);
    EXPECT_EQ(verbs, (std::vector<Verb>{Verb::Next, Verb::Back, Verb::Finish, Verb::Cancel, Verb::Close, Verb::Escape,
                                        Verb::Series, Verb::Model, Verb::Port, Verb::AnswerOk, Verb::AnswerCancel,
                                        Verb::Wait, Verb::Show, Verb::Plug, Verb::Unplug, Verb::Finish}));
    EXPECT_EQ(actions[1].line, "back");
    EXPECT_EQ(actions[6].text, "TQ-900  Series") << "inner blanks belong to the item";
    EXPECT_EQ(actions[11].ms, 250);
    EXPECT_FALSE(actions[14].noWait);
    EXPECT_TRUE(actions[15].noWait);
    EXPECT_EQ(actions[15].line, "nowait finish");
}

TEST(ScriptParse, RejectsWhatIsNotAnActionWithItsLineNumber)
{
    std::string error;
    for (const char* bad : {"jump", "next please", "series", "answer yes", "wait", "wait -5", "wait 10ms", "nowait"}) {
        Parse(std::string("next\n") + bad + "\n", &error);
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << bad << " -> " << error;
    }
}

TEST(Transcript, QuotesEscapeQuotationMarksBackslashesAndLineEnds)
{
    EXPECT_EQ(script::Quote("a\"b\\c\nd\re\tf"), "\"a\\\"b\\\\c\\nd\\re\tf\"") << "a tab stays as it is";
    EXPECT_EQ(script::Quote("驱动：X"), "\"驱动：X\"");
}

script::State Page(int n)
{
    script::State s;
    s.sheet = true;
    s.page = n;
    s.title = "Step " + std::to_string(n);
    script::Control label;
    label.id = 1029;
    label.text = "Series:";
    script::Control combo;
    combo.id = 1018;
    combo.kind = script::ControlKind::Combo;
    combo.items = {"A", "B"};
    combo.selection = 1;
    script::Control list;
    list.id = 1008;
    list.kind = script::ControlKind::List;
    list.visible = false;
    list.enabled = false;
    s.controls = {label, combo, list};
    s.back = {true, false};
    s.next = {true, true};
    s.finish = {false, false};
    s.cancel = {true, true};
    return s;
}

TEST(Transcript, PageListsControlsInOrderWithTheirStateAndOnlyTheShownButtons)
{
    EXPECT_EQ(script::FormatPage(Page(2)),
              "page 2 \"Step 2\"\n"
              "  1029 \"Series:\"\n"
              "  1018 combo [\"A\", *\"B\"]\n"
              "  1008 (hidden) (disabled) list []\n"
              "  buttons: Back=off Next=on Cancel=on\n");
    script::Box box{"ERROR", "failed", {"OK", "Cancel"}};
    EXPECT_EQ(script::FormatBox(box), "box \"ERROR\" \"failed\" [OK Cancel]\n");
}

// A machine that moves through given states: each accepted action shows the next.
class FakeTarget : public script::Target {
public:
    std::deque<script::State> states;
    std::vector<std::string> refusals;  // one per action: empty = accepted
    bool settles = true;
    std::vector<bool> noWaits;
    int paused = 0;
    int printed = 0;

    bool Settle(bool, bool noWait) override
    {
        noWaits.push_back(noWait);
        return settles;
    }
    script::State Read() override { return states.front(); }
    bool Act(const Action&, std::string* why) override
    {
        std::string refusal = refusals.empty() ? std::string() : refusals.front();
        if (!refusals.empty()) refusals.erase(refusals.begin());
        if (!refusal.empty()) {
            *why = refusal;
            return false;
        }
        if (states.size() > 1) states.pop_front();
        return true;
    }
    void Pause(int ms) override { paused += ms; }
    void Printed(const script::State&, int index) override { printed = index + 1; }
};

TEST(Run, PrintsTheFirstStateThenOnlyWhatChangedAfterEachAction)
{
    FakeTarget target;
    script::State boxShown = Page(2);
    boxShown.boxes.push_back({"OK", "done", {"OK"}, 7});
    script::State ended;
    ended.ended = true;
    target.states = {Page(1), Page(2), boxShown, ended};
    target.refusals = {"", "the button is disabled", "", ""};  // for next, back, finish, answer
    std::ostringstream out;
    auto actions = Parse("next\nwait 100\nback\nshow\nnowait finish\nwait 10\nshow\nanswer ok\n");
    EXPECT_EQ(script::Run(actions, target, out), script::kRunOk);
    const std::string box = "box \"OK\" \"done\" [OK]\n";
    EXPECT_EQ(out.str(), script::FormatPage(Page(1)) + "> next\n" + script::FormatPage(Page(2)) +
                             "> wait 100\n"  // the same page again: nothing printed
                             "> back\nrefused: the button is disabled\n"
                             "> show\n" +
                             script::FormatPage(Page(2)) + "> nowait finish\n" + box +
                             "> wait 10\n"  // a box is printed once, when it appears
                             "> show\n" +
                             script::FormatPage(Page(2)) + box + "> answer ok\nprogram ended\n");
    EXPECT_EQ(target.paused, 110);
    // Waited for: the first state and every action; only "nowait finish" without rest.
    EXPECT_EQ(target.noWaits, (std::vector<bool>{false, false, false, false, false, true, false, false, false}));
    EXPECT_EQ(target.printed, 6);
}

TEST(Run, StopsAtATimeOutWithALineSayingSo)
{
    FakeTarget target;
    target.states = {Page(1)};
    target.settles = false;
    std::ostringstream out;
    EXPECT_EQ(script::Run(Parse("next\n"), target, out), script::kRunTimeout);
    EXPECT_EQ(out.str(), script::FormatPage(Page(1)) + "timeout: the program did not come to rest\n");
}

}  // namespace

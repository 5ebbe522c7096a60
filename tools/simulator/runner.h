// Runs a script of user actions against the wizard on the simulated machine and
// writes the transcript: after each action it waits until nothing more happens by
// itself, then prints what changed.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace script {
struct Action;
}

namespace simulator {

class Runner {
public:
    explicit Runner(std::ostream& out);

    // Attaching and detaching the scenario's USB printer (set by the scenario).
    std::function<bool(std::string*)> plug;
    std::function<bool(std::string*)> unplug;

    // Carries out one script line and prints its part of the transcript; false
    // (with "refused:" and the form the line should have) when the line is not an
    // action of the script format.
    bool Step(const std::string& line);
    // Carries out an action and prints its part of the transcript.
    void Do(const script::Action& action);
    // Echoes what the user typed and why nothing was done.
    void Refuse(const std::string& echo, const std::string& why);
    // Prints the state as it stands (after the program started, or for `show`).
    void PrintState(bool force);
    // Waits for the program to settle; false (and a note in the transcript) on time-out.
    bool Settle();
    // For `nowait`: until the program has handled the action and the page has held
    // still for a moment, though it may still be working.
    void SettleBriefly();

private:
    bool Act(const script::Action& action, std::string* why);
    void PrintEvents();
    // What the program wrote to a standard stream since the last print, one line each.
    void PrintStream(const char* name, const std::string& text, size_t* seen);

    std::ostream& m_out;
    std::vector<std::string> m_lastPage;
    size_t m_boxesPrinted = 0;
    size_t m_logSeen = 0;
    size_t m_stdoutSeen = 0;
    size_t m_stderrSeen = 0;
    bool m_endPrinted = false;
};

}  // namespace simulator

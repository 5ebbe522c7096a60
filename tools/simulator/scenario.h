// A scenario file describes the simulated PC the wizard runs on: the setup medium,
// the program's path, existing printers, drivers and ports, the default printer, a
// USB printer (or none) and failures to inject. docs/simulator.md has the format.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simulator {

// One line of a scenario: a keyword, its positional words and its key=value options.
struct ScenarioLine {
    int number = 0;
    std::string keyword;
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    const std::string* Option(const std::string& key) const;
};

// Splits a line into words; "quoted text" is one word (\" and \\ escaped), and
// key=value or key="quoted value" becomes an option.
std::optional<ScenarioLine> ParseScenarioLine(const std::string& line, std::string* error);

// A time scale: a number greater than 0, as the scenario's time-scale and the
// simulator's --time-scale take it. kTimeScaleExpected says so in words.
bool ParseTimeScale(const std::string& text, double* scale);
extern const char kTimeScaleExpected[];

class Scenario {
public:
    // Reads a scenario file. On error, false with a message "FILE:LINE: error: ..."
    // that says what is wrong and what the line should look like.
    bool Load(const std::string& path, std::string* error);
    bool Parse(const std::string& text, const std::string& baseDir, std::string* error);

    // Sets the simulated machine up as described (after sim::ResetMachine). False
    // (message as above) when the machine cannot be so: a missing medium folder, a
    // printer twice, a printer on a port the spooler lacks, a default printer that
    // is not there.
    bool Apply(std::string* error) const;

    // Attaching and detaching the scenario's USB printer during a run.
    bool HasUsbPrinter() const { return m_usb.has_value(); }
    bool PlugUsb(std::string* error) const;
    bool UnplugUsb(std::string* error) const;

    std::string mediumFolder;  // host folder of the setup medium
    std::u16string programPath = u"D:\\KorvelSetup.exe";
    double timeScale = 1.0;

private:
    bool Fail(std::string* error, int line, const std::string& what, const char* expected = nullptr) const;
    bool CheckSpooler(std::string* error) const;

    std::string m_source = "korvel-sim";  // the file, as errors name it
    int m_mediumLine = 0;
    std::vector<ScenarioLine> m_lines;  // machine state lines, applied in order
    std::optional<ScenarioLine> m_usb;
};

// The demo setup medium of the source tree.
std::string DefaultMediumFolder();

}  // namespace simulator

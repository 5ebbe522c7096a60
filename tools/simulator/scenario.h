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

class Scenario {
public:
    // Reads a scenario file; false with a message naming the line on error.
    bool Load(const std::string& path, std::string* error);
    bool Parse(const std::string& text, const std::string& baseDir, std::string* error);

    // Sets the simulated machine up as described (after sim::ResetMachine).
    bool Apply(std::string* error) const;

    // Attaching and detaching the scenario's USB printer during a run.
    bool HasUsbPrinter() const { return m_usb.has_value(); }
    bool PlugUsb(std::string* error) const;
    bool UnplugUsb(std::string* error) const;

    std::string mediumFolder;  // host folder of the setup medium
    std::u16string programPath = u"D:\\KorvelSetup.exe";
    double timeScale = 1.0;

private:
    std::vector<ScenarioLine> m_lines;  // machine state lines, applied in order
    std::optional<ScenarioLine> m_usb;
};

// The demo setup medium of the source tree.
std::string DefaultMediumFolder();

}  // namespace simulator

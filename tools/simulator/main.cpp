// korvel-sim: runs the real wizard, with the same page code, on a simulated PC.
//
//   korvel-sim                          the demo PC, interactively in the terminal
//   korvel-sim [SCENARIO] < SCRIPT      a scenario file and a script: prints the transcript
//   korvel-sim --help
//
// The formats are in docs/script-format.md and docs/simulator.md.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "installer/PrinterInstaller.h"
#include "platform/afx.h"
#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "tools/simulator/machine_report.h"
#include "tools/simulator/runner.h"
#include "tools/simulator/scenario.h"

namespace {

const char kUsage[] =
    "usage: korvel-sim [SCENARIO] [--script FILE] [--time-scale X]\n"
    "  Runs the wizard on a simulated PC described by SCENARIO (default: the demo PC\n"
    "  with the demo setup medium and no USB printer). Without --script, a script is\n"
    "  read from standard input when it is not a terminal; on a terminal the wizard\n"
    "  runs interactively.\n";

const char kKeys[] =
    "keys: n next, b back, f finish, c cancel, x close box, e escape,\n"
    "      s N / m N / p N choose series, model or port number N (1 is the first),\n"
    "      o / k answer the box with OK / Cancel, u / d plug in / unplug the USB printer,\n"
    "      w wait a second, ? these keys, q quit.\n"
    "      Any line of the script format works too (e.g. \"series KX Series\").\n";

// Turns an interactive shortcut into a script line.
std::string Expand(const std::string& input)
{
    std::string verb, argument;
    simulator::SplitAction(input, verb, argument);
    auto nth = [&](int controlId) -> std::string {
        int n = std::atoi(argument.c_str());
        sim::ui::Snapshot snapshot = sim::ui::Take();
        const sim::ui::ControlState* c = snapshot.Control(controlId);
        if (!c || n < 1 || n > static_cast<int>(c->items.size())) return "show";
        return text::ToUtf8(c->items[static_cast<size_t>(n - 1)]);
    };
    if (verb == "n") return "next";
    if (verb == "b") return "back";
    if (verb == "f") return "finish";
    if (verb == "c") return "cancel";
    if (verb == "x") return "close";
    if (verb == "e") return "escape";
    if (verb == "o") return "answer ok";
    if (verb == "k") return "answer cancel";
    if (verb == "u") return "plug";
    if (verb == "d") return "unplug";
    if (verb == "w") return "wait 1000";
    if (verb == "s") return "series " + nth(1018);
    if (verb == "m") return "model " + nth(1010);
    if (verb == "p") return "port " + nth(1008);
    return input;
}

// Ends a wizard that the script left open, so the machine's state can be read.
void CloseLeftovers()
{
    for (int i = 0; i < 10 && sim::ui::ProgramRunning(); ++i) {
        if (!sim::ui::Take().boxes.empty()) {
            sim::ui::AnswerBox(IDOK);
        } else {
            sim::ui::CloseSheet();
        }
        sim::ui::WaitStable(std::chrono::seconds(30));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string scenarioPath, scriptPath;
    double timeScale = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--script" && i + 1 < argc) {
            scriptPath = argv[++i];
        } else if (a == "--time-scale" && i + 1 < argc) {
            timeScale = std::atof(argv[++i]);
        } else if (!a.empty() && a[0] != '-' && scenarioPath.empty()) {
            scenarioPath = a;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }

    simulator::Scenario scenario;
    scenario.mediumFolder = simulator::DefaultMediumFolder();
    std::string error;
    if (!scenarioPath.empty() && !scenario.Load(scenarioPath, &error)) {
        std::cerr << "korvel-sim: " << error << "\n";
        return 2;
    }
    if (timeScale > 0) scenario.timeScale = timeScale;
    sim::ResetMachine();
    if (!scenario.Apply(&error)) {
        std::cerr << "korvel-sim: " << error << "\n";
        return 2;
    }

    std::ifstream scriptFile;
    std::istream* script = nullptr;
    bool interactive = false;
    if (!scriptPath.empty()) {
        scriptFile.open(scriptPath);
        if (!scriptFile) {
            std::cerr << "korvel-sim: cannot read " << scriptPath << "\n";
            return 2;
        }
        script = &scriptFile;
    } else if (isatty(STDIN_FILENO)) {
        interactive = true;
    } else {
        script = &std::cin;
    }

    simulator::Runner runner(std::cout);
    if (scenario.HasUsbPrinter()) {
        runner.plug = [&](std::string* why) { return scenario.PlugUsb(why); };
        runner.unplug = [&](std::string* why) { return scenario.UnplugUsb(why); };
    }

    // The program starts as on Windows: the installer finds the setup medium from the
    // program's path, then the application runs the wizard.
    g_Installer = CPrinterInstaller();
    sim::ui::StartProgram([] { return AfxRunApplication(::GetModuleHandleW(nullptr)); });
    runner.Settle();
    runner.PrintState(true);

    int unknown = 0;
    std::string line;
    if (interactive) std::cout << kKeys;
    while (sim::ui::ProgramRunning()) {
        if (interactive) std::cout << "? " << std::flush;
        if (!std::getline(interactive ? std::cin : *script, line)) break;
        if (interactive) {
            if (line == "q") break;
            if (line == "?") {
                std::cout << kKeys;
                continue;
            }
            line = Expand(line);
        }
        if (!runner.Step(line)) ++unknown;
    }
    if (sim::ui::ProgramRunning()) {
        std::cout << "note: the script ended with the wizard open; closing it\n";
        CloseLeftovers();
        runner.PrintState(false);
    }
    simulator::PrintMachine(std::cout);
    return unknown ? 1 : 0;
}

// korvel-sim: runs the real wizard, with the same page code, on a simulated PC.
//
//   korvel-sim                          the demo PC, interactively in the terminal
//   korvel-sim --medium DIR             the demo PC with another setup medium
//   korvel-sim [SCENARIO] < SCRIPT      a scenario file and a script: prints the transcript
//   korvel-sim --help
//
// The formats are in docs/script-format.md and docs/simulator.md.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "installer/PrinterInstaller.h"
#include "afx/afx.h"
#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/sim/control/verifier.h"
#include "tools/simulator/interactive.h"
#include "tools/simulator/machine_report.h"
#include "tools/simulator/runner.h"
#include "tools/simulator/scenario.h"

namespace {

const char kUsage[] =
    "usage: korvel-sim [SCENARIO] [--medium DIR] [--script FILE] [--time-scale X]\n"
    "  Runs the wizard on the simulated PC that the scenario file SCENARIO describes\n"
    "  (docs/simulator.md; default: the demo PC, with the demo setup medium, the\n"
    "  spooler's default ports, no printer and no USB printer) and prints the transcript.\n"
    "  --medium DIR     the setup medium folder (with PrinterInfor.Inf and PrinterDriver)\n"
    "                   instead of the demo medium or the scenario's medium\n"
    "  --script FILE    the user's actions (docs/script-format.md); without it they are\n"
    "                   read from standard input, or typed as keys on a terminal\n"
    "  --time-scale X   machine time runs at X, a number greater than 0 (0.05: twenty\n"
    "                   times faster); it overrides the scenario's time-scale\n"
    "  Exit status: 0; 1 when the script had lines that are not actions; 2 for a bad\n"
    "  command line or scenario; 3 when the program broke a rule of the Windows API\n"
    "  (each is printed as a line \"violation: ...\"; docs/strict-machine.md).\n";

int BadCommandLine(const std::string& what)
{
    std::cerr << "korvel-sim: " << what << "\n" << kUsage;
    return 2;
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
    std::string scenarioPath, scriptPath, mediumPath;
    double timeScale = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--script" || a == "--time-scale" || a == "--medium") {
            if (!hasValue) return BadCommandLine(a + " needs a value");
            std::string value = argv[++i];
            if (a == "--script")
                scriptPath = value;
            else if (a == "--medium")
                mediumPath = value;
            else if (!simulator::ParseTimeScale(value, &timeScale))
                return BadCommandLine("--time-scale " + value + ": " + simulator::kTimeScaleExpected);
        } else if (!a.empty() && a[0] == '-') {
            return BadCommandLine("unknown option " + a);
        } else if (!scenarioPath.empty()) {
            return BadCommandLine("one scenario only (" + scenarioPath + " and " + a + ")");
        } else {
            scenarioPath = a;
        }
    }

    simulator::Scenario scenario;
    scenario.mediumFolder = simulator::DefaultMediumFolder();
    std::string error;
    // Scenario errors begin with the file and the line, as compilers write them.
    if (!scenarioPath.empty() && !scenario.Load(scenarioPath, &error)) {
        std::cerr << error << "\n";
        return 2;
    }
    if (timeScale > 0) scenario.timeScale = timeScale;
    if (!mediumPath.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(mediumPath, ec))
            return BadCommandLine("--medium " + mediumPath + ": no such folder");
        scenario.mediumFolder = std::filesystem::absolute(mediumPath).lexically_normal().string();
    }
    sim::ResetMachine();
    if (!scenario.Apply(&error)) {
        std::cerr << error << "\n";
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

    // A mistyped line in a script makes the run fail (exit status 1); at the keyboard
    // it is answered and the session goes on.
    int badLines = 0;
    bool quit = false;
    if (interactive) {
        std::cout << simulator::kInteractiveKeys;
        quit = simulator::RunInteractive(runner, std::cout) == simulator::SessionEnd::Quit;
    } else {
        std::string line;
        for (bool first = true; sim::ui::ProgramRunning() && std::getline(*script, line); first = false) {
            if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
            if (!runner.Step(line)) ++badLines;
        }
    }
    if (sim::ui::ProgramRunning()) {
        std::cout << (quit ? "quit: closing the wizard, which was still open\n"
                           : "note: the script ended with the wizard open; closing it\n");
        CloseLeftovers();
        runner.PrintState(false);
    }
    simulator::PrintMachine(std::cout);

    // As an application verifier stops a program: every rule the program broke, and
    // what it left open when it ended, fails the run.
    sim::EndProgram();
    std::vector<sim::Violation> violations = sim::TakeViolations();
    for (const sim::Violation& v : violations) std::cout << "violation: " << v.Text() << "\n";
    if (!violations.empty()) return 3;
    return badLines ? 1 : 0;
}

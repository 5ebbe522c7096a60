#include "tools/simulator/machine_report.h"

#include <ostream>
#include <sstream>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/spooler.h"
#include "platform/text.h"
#include "tools/simulator/transcript.h"

namespace simulator {

void PrintMachine(std::ostream& out)
{
    out << "machine:\n";
    std::istringstream facts(sim::DescribeSpooler());
    std::string line;
    while (std::getline(facts, line))
        if (!line.empty()) out << "  " << line << "\n";
    // The files the program wrote, line by line (the log of /log, for one).
    for (const sim::WrittenFile& file : sim::WrittenFiles()) {
        out << "  file " << Quote(file.path) << "\n";
        std::istringstream lines(file.bytes);
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out << "    " << Quote(text::FromUtf8(line)) << "\n";
        }
    }
}

}  // namespace simulator

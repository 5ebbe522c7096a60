#include "tools/simulator/machine_report.h"

#include <ostream>
#include <sstream>

#include "platform/sim/control/spooler.h"

namespace simulator {

void PrintMachine(std::ostream& out)
{
    out << "machine:\n";
    std::istringstream facts(sim::DescribeSpooler());
    std::string line;
    while (std::getline(facts, line))
        if (!line.empty()) out << "  " << line << "\n";
}

}  // namespace simulator

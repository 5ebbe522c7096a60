// Readings of the simulated machine that many tests take: the lines of its log that
// begin a certain way, and whether a printer is there.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/spooler.h"

// The lines of the machine's log that begin with `prefix`, in their order.
inline std::vector<std::string> LogWith(const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& line : sim::LogLines())
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

// The index of the first line of `log` that begins with `prefix`; log.size() when none does.
inline size_t IndexOf(const std::vector<std::string>& log, const std::string& prefix)
{
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].rfind(prefix, 0) == 0) return i;
    return log.size();
}

// How many lines of `log` begin with `prefix`.
inline size_t CountOf(const std::vector<std::string>& log, const std::string& prefix)
{
    size_t n = 0;
    for (const std::string& line : log) n += line.rfind(prefix, 0) == 0;
    return n;
}

// Whether the spooler has a printer of exactly this name.
inline bool HasPrinter(const std::u16string& name)
{
    for (const sim::PrinterState& p : sim::Printers())
        if (p.name == name) return true;
    return false;
}

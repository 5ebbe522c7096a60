// What the control API (control/spooler.h, which includes this) and the spooler
// functions both use: a printer as the spooler keeps it.
#pragma once

#include <string>

namespace sim {

// Printer names are found without regard to letter case, as Windows does; the
// machine keeps them in the order they were added, which is the enumeration order.
struct PrinterState {
    std::u16string name;  // a connection's full name, \\SERVER\NAME
    std::u16string driver;
    std::u16string port;
    std::u16string server;  // empty for a local printer
    int jobs = 0;           // jobs waiting in the queue
    // Deleted while jobs were queued or other handles held it open: neither listed nor
    // opened by name any more, its name still taken and its driver still in use; it
    // goes with the last job and the last handle.
    bool pendingDeletion = false;
};

}  // namespace sim

// What the control API (control/verifier.h, which includes this) and the machine's
// verifier both use: a contract violation as it is recorded.
#pragma once

#include <string>

namespace sim {

struct Violation {
    std::string function;  // the function called, e.g. "CloseHandle"
    std::string rule;      // what its documentation requires
    std::string values;    // what the caller passed
    // "CloseHandle: a handle is closed only once (hObject=0x104, an event, closed)"
    std::string Text() const;
};

}  // namespace sim

// Where the installer's operations report the steps of an installation, for the
// program's log. The installer holds an optional sink; without one nothing is
// reported and nothing else changes.
#pragma once

#include "platform/types.h"

class CStepLog {
public:
    virtual ~CStepLog() = default;
    // One step: a line of text without its line end. Steps come from one thread at a
    // time, as the installer itself is used.
    virtual void Step(LPCWSTR line) = 0;
};

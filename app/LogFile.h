// The log of /log FILE: one time-stamped line per step, appended to the file in UTF-8,
// so that one file can collect the runs of a PC. A log that cannot be written never
// stops the setup: opening reports its error to the caller, and a write that fails is
// reported once on standard error, after which the log stays silent.
#pragma once

#include "installer/step_log.h"
#include "platform/text.h"

class CLogFile : public CStepLog {
public:
    CLogFile() = default;
    ~CLogFile() override;
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Opens the file for appending, creating it when missing. False, with the system's
    // error code, when it cannot.
    bool Open(LPCWSTR path, DWORD* error);
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    // "2024-05-01 08:00:00.000 " before the line, CR LF after it; control characters
    // inside it (but tabs) in caret notation (^J), so that a step is always one line.
    void Step(LPCWSTR line) override;

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    WString m_strPath;
};

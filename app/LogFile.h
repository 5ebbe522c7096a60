// The log of a run with arguments: one time-stamped line per step, appended to a file
// in UTF-8, so that one file can collect the runs of a PC. A log that cannot be written
// never stops the setup: opening reports why to the caller, and a write that fails is
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

    // Where a quiet run without /log writes: KorvelSetup.log in the temporary folder of
    // the account (%TEMP%; %SystemRoot%\Temp for the system account). Empty when the
    // folder cannot be had.
    static WString DefaultPath();

    // Opens the file for appending, creating it when missing. False, with the reason in
    // words, when it cannot, and when the name opens no file on a disk (COM1, LPT1:,
    // NUL): a log must be something an administrator can read afterwards.
    bool Open(LPCWSTR path, WString* why);
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    LPCWSTR Path() const { return m_strPath.c_str(); }
    // "2024-05-01 08:00:00.000 " before the line, CR LF after it; control characters
    // inside it (but tabs) in caret notation (^J), so that a step is always one line.
    void Step(LPCWSTR line) override;
    // A last line of plain ASCII, stamped like the others, written without taking any
    // memory: for the end of a program whose memory has run out.
    void LastWords(const char* line);

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    WString m_strPath;
};

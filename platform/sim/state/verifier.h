// The machine's verifier: what every simulated function uses to hold its caller to
// the documented contract. A call that breaks a rule for which Windows documents a
// failure fails as Windows does; a call whose result Windows leaves undefined (a
// handle used after it was closed, a buffer size in the wrong unit, an OVERLAPPED
// reused while its request is pending) is recorded here as a violation, and the
// tests fail on any violation at their end. Internal to platform/sim; tests read
// and clear the violations through control/verifier.h.
//
// The handle ledger knows every handle the machine has handed out since the last
// reset, of every kind: kernel handles (the handle table notes them itself) and
// handles kept in tables of their own, such as the spooler's printer handles, which
// their area notes with NoteHandleOpened and NoteHandleClosed.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/verifier_shared.h"

namespace sim {

// Records a violation: the function called, the rule it broke and the values the
// caller passed (as text, e.g. "hObject=0x104 (an event, closed)").
void RecordViolation(const std::string& function, const std::string& rule, const std::string& values);

// The violations recorded so far, oldest first; cleared as well when `clear` is set.
std::vector<Violation> RecordedViolations(bool clear);

// --- the handle ledger -----------------------------------------------------------------
// A handle handed out, of a kind such as "event", "device", "regkey" or "printer".
void NoteHandleOpened(const void* handle, const char* kind);
// The handle was closed; false when the ledger did not have it open.
bool NoteHandleClosed(const void* handle);

enum class HandleStatus { Unknown, Open, Closed };
struct HandleInfo {
    HandleStatus status = HandleStatus::Unknown;
    std::string kind;  // for an open or closed handle
};
HandleInfo DescribeHandle(const void* handle);

// Whether the handle is open and of one of the kinds. If not, records a violation
// naming the function, the parameter and what the handle is: of another kind,
// closed already, or no handle the machine ever handed out.
bool CheckHandle(const char* function, const char* parameter, const void* handle,
                 std::initializer_list<const char*> kinds);
// "hObject=0x104 (an open event)": the parameter and what the handle is.
std::string HandleValue(const char* parameter, const void* handle);

// The open handles not taken before, oldest first, as (handle, kind); each is
// handed out once, so that the end of the program reports a leak once.
std::vector<std::pair<const void*, std::string>> TakeUnreportedOpenHandles();

// --- buffers ---------------------------------------------------------------------------
// Whether the caller's buffer really holds `bytes` bytes from `buffer` on, as the size
// it passed declares. Only a build with AddressSanitizer can tell (a size in bytes
// passed where characters are meant declares twice the buffer): there the end of the
// buffer is checked, and a declared size that runs past it is recorded as a violation
// with the rule and the values; elsewhere it is taken as declared.
bool CheckBufferSize(const char* function, const char* rule, const void* buffer, size_t bytes,
                     const std::string& values);

// Whether the bytes lie in memory the program may write (the process's own map says
// so), for a function that writes to a buffer documented as in/out.
bool IsWritableMemory(const void* buffer, size_t bytes);

// Hexadecimal text of a value, as "0x1f".
std::string Hex(ULONG_PTR value);
// A UTF-16 text as UTF-8 in quotation marks, or "NULL".
std::string Quote(const WCHAR* text);

// Forgets every handle (the machine's reset); recorded violations stay until the
// control API clears them, so that a test that resets the machine still fails.
void ResetVerifierLedger();

}  // namespace sim

// The IEEE 1284 device-ID request to an open USB printer, as an overlapped request
// bounded in time: the device gets 500 ms to answer; a request still pending then is
// cancelled and gets a bounded time more to end. A device that ignores its
// cancellation (or a cancel that fails) leaves the request pending, and the system may
// still write into its OVERLAPPED and buffer later: those are then kept until the
// request has ended, never freed under the kernel, and the caller's buffer is never
// the one the device writes. So the caller is never held much more than a second.
#pragma once

#include "platform/types.h"

namespace devid {

// How long the device gets to answer, and how long a cancelled request gets to end.
constexpr DWORD kAnswerWaitMs = 500;
constexpr DWORD kCancelWaitMs = 500;

// Asks the device (opened with FILE_FLAG_OVERLAPPED) for its device ID and copies
// the answer into buffer (size bytes), its byte count into *returned. FALSE when the
// request fails, is refused, or is not answered within kAnswerWaitMs; *returned is
// then unchanged.
BOOL RequestDeviceId(HANDLE device, BYTE* buffer, DWORD size, DWORD* returned);

// Frees the requests given up earlier that have ended since (a closed handle ends
// its requests on a device that honours cancellation). Called before every request
// and after a device is closed.
void ReleaseEndedRequests();

// Requests given up and not yet released (for tests).
int KeptRequestCount();
// Frees the memory of every request given up, without touching its event: for a test
// that starts a new simulated machine, whose reset has ended every request without
// writing and whose handles are gone.
void ForgetKeptRequests();

}  // namespace devid

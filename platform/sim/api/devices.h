// Device I/O of the simulated machine (kernel32): requests to a device opened with
// CreateFileW, overlapped or not, their outcome and their cancellation.
#pragma once

#include "platform/sim/api/files.h"

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
                     LPOVERLAPPED overlapped);
BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
BOOL CancelIo(HANDLE file);

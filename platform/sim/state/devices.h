// The simulated USB printers: the present ones, their open handles and the device-ID
// requests still outstanding, shared by the device functions and the control API.
// Internal to platform/sim.
//
// A request's state, the caller's OVERLAPPED and buffer, and the printers list are
// guarded by KernelMutex(). Once a request is done the machine drops its pointers to
// the caller's memory; the caller may free it as soon as it has seen the request
// finish, and not before, as on Windows.
#pragma once

#include <memory>
#include <vector>

#include "platform/sim/api/files.h"
#include "platform/sim/state/devices_shared.h"
#include "platform/sim/state/handles.h"

namespace sim {

// The statuses the I/O manager leaves in OVERLAPPED.Internal.
constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusPending = 0x103;
constexpr ULONG_PTR kStatusUnsuccessful = 0xC0000001;
constexpr ULONG_PTR kStatusDeviceNotConnected = 0xC000009D;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;

// The last error a request's status gives.
DWORD ErrorOfStatus(ULONG_PTR status);

struct UsbDevice {
    UsbPrinter config;  // never changed after plugging in
    bool present = true;
    int openHandles = 0;
};

class DeviceHandle;

struct DeviceRequest {
    // Valid until done: a closing handle finishes its requests, or (those of a device
    // that ignores cancellation) lets go of them.
    DeviceHandle* owner = nullptr;
    std::shared_ptr<UsbDevice> device;
    LPOVERLAPPED overlapped = nullptr;
    BYTE* out = nullptr;
    DWORD outSize = 0;
    DWORD thread = 0;            // the thread that issued it: CancelIo reaches only that thread's requests
    bool cancelling = false;     // the program asked: CancelIo, or the handle closed
    bool ignoresCancel = false;  // the device keeps it pending all the same
    bool done = false;
    bool reported = false;  // as still pending when the program ended
};

class DeviceHandle : public KernelObject {
public:
    DeviceHandle(std::shared_ptr<UsbDevice> device, bool overlapped)
        : m_device(std::move(device)), m_overlapped(overlapped)
    {}
    ~DeviceHandle() override;
    const char* Kind() const override { return "device"; }
    // A file handle is signalled when a request on it finishes, as on Windows.
    bool IsSignaled() const override { return m_signaled; }

    const std::shared_ptr<UsbDevice>& Device() const { return m_device; }
    bool Overlapped() const { return m_overlapped; }
    void SetSignaled(bool signaled) { m_signaled = signaled; }

private:
    std::shared_ptr<UsbDevice> m_device;
    bool m_overlapped;
    bool m_signaled = false;
};

// Guarded by KernelMutex().
struct DeviceState {
    std::vector<std::shared_ptr<UsbDevice>> present;  // in plug order
    std::vector<std::shared_ptr<DeviceRequest>> outstanding;
    size_t requestCount = 0;
    // The events of requests that ended only after the device had ignored their
    // cancellation: the program kept them for the request, as it must, and cannot
    // know when it ended.
    std::vector<HANDLE> keptEvents;
};
DeviceState& Devices();

// The present printer with this device path (letter case ignored); KernelMutex held.
std::shared_ptr<UsbDevice> FindDeviceLocked(const std::u16string& devicePath);

// Ends a request (KernelMutex held): the answer into the caller's buffer on success,
// the outcome into its OVERLAPPED. Returns the event to set once the lock is released.
HANDLE FinishLocked(DeviceRequest& request, ULONG_PTR status);

// Finishes every outstanding request that matches (KernelMutex held).
template <class Match>
std::vector<HANDLE> FinishMatchingLocked(Match match, ULONG_PTR status)
{
    std::vector<HANDLE> events;
    std::vector<std::shared_ptr<DeviceRequest>> copy = Devices().outstanding;
    for (auto& r : copy)
        if (match(*r)) events.push_back(FinishLocked(*r, status));
    return events;
}

// The pending request whose OVERLAPPED names the event, for CloseHandle (the system
// sets the event when the request ends); empty when there is none. Closing a device
// with a request pending is no fault: it cancels the request, as on Windows.
std::string PendingRequestUsing(HANDLE event);

// Sets the events (KernelMutex not held) and wakes every waiter.
void Signal(const std::vector<HANDLE>& events);

// Finishes the request after a scaled delay, with the answer or (for a cancel that
// takes time) as cancelled, unless it has ended otherwise by then.
void FinishLater(std::shared_ptr<DeviceRequest> request, DWORD delayMs, bool asCancel);

// Opens a device path for CreateFileW. Returns the device's kernel object, or null
// with *error set (ERROR_FILE_NOT_FOUND when no such device is present).
std::shared_ptr<KernelObject> OpenDevicePath(LPCWSTR path, DWORD access, DWORD share, DWORD flags, DWORD* error);

// Ends every device request without touching its caller's memory, waits for the
// devices' timer threads and unplugs every printer.
void ResetDevicesPart();

}  // namespace sim

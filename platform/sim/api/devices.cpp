// DeviceIoControl, GetOverlappedResult and CancelIo of the simulated machine: the
// IEEE 1284 device-ID request to a USB printer with overlapped I/O (answered at once,
// after a delay, never, or failed), its outcome and its cancellation.
#include "platform/sim/api/devices.h"

#include <mutex>

#include "platform/devinst.h"
#include "platform/sim/state/devices.h"
#include "platform/sim/state/machine.h"

namespace {

// The device behind an open handle; null, with the last error set, for any other.
std::shared_ptr<sim::DeviceHandle> DeviceOf(HANDLE handle)
{
    auto device = sim::LookupHandleAs<sim::DeviceHandle>(handle);
    if (!device) SetLastError(ERROR_INVALID_HANDLE);
    return device;
}

}  // namespace

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize, LPDWORD returned,
                     LPOVERLAPPED overlapped)
{
    using namespace sim;
    if (FailsNow("DeviceIoControl")) return FALSE;
    auto handle = DeviceOf(device);
    if (!handle) return FALSE;
    if (code != IOCTL_USBPRINT_GET_1284_ID) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if ((!out && outSize) || (handle->Overlapped() && !overlapped)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A handle opened without FILE_FLAG_OVERLAPPED waits for its request right here.
    OVERLAPPED local = {};
    LPOVERLAPPED ov = handle->Overlapped() ? overlapped : &local;
    if (ov->hEvent) ::ResetEvent(ov->hEvent);  // the I/O manager clears it as the request starts

    auto request = std::make_shared<DeviceRequest>();
    HANDLE event = nullptr;
    DWORD count = 0;
    std::unique_lock<std::mutex> lock(KernelMutex());
    std::shared_ptr<UsbDevice> printer = handle->Device();
    if (!printer->present) {
        lock.unlock();
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    ++Devices().requestCount;
    request->owner = handle.get();
    request->thread = ::GetCurrentThreadId();
    request->device = printer;
    request->overlapped = ov;
    request->out = static_cast<BYTE*>(out);
    request->outSize = outSize;
    handle->SetSignaled(false);

    switch (printer->config.answer) {
    case DeviceIdAnswer::AtOnce:
        event = FinishLocked(*request, kStatusSuccess);
        count = static_cast<DWORD>(ov->InternalHigh);
        lock.unlock();
        Signal({event});
        if (returned) *returned = count;
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    case DeviceIdAnswer::Fail:
        ov->Internal = kStatusUnsuccessful;
        ov->InternalHigh = 0;
        handle->SetSignaled(true);
        lock.unlock();
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    case DeviceIdAnswer::AfterDelay:
    case DeviceIdAnswer::Never: break;
    }

    ov->Internal = kStatusPending;
    ov->InternalHigh = 0;
    Devices().outstanding.push_back(request);
    if (printer->config.answer == DeviceIdAnswer::AfterDelay)
        FinishLater(request, printer->config.answerDelayMs, false);
    if (handle->Overlapped()) {
        lock.unlock();
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    KernelChanged().wait(lock, [&] { return request->done; });
    ULONG_PTR status = local.Internal;
    count = static_cast<DWORD>(local.InternalHigh);
    lock.unlock();
    if (returned) *returned = count;
    SetLastError(ErrorOfStatus(status));
    return status == kStatusSuccess ? TRUE : FALSE;
}

BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait)
{
    using namespace sim;
    if (FailsNow("GetOverlappedResult")) return FALSE;
    if (!overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONG_PTR status;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        status = overlapped->Internal;
    }
    if (status == kStatusPending) {
        if (!wait) {
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        // As Windows does: wait on the request's event, or on the file without one.
        if (::WaitForSingleObject(overlapped->hEvent ? overlapped->hEvent : file, INFINITE) == WAIT_FAILED)
            return FALSE;
    }
    DWORD count;
    {
        std::unique_lock<std::mutex> lock(KernelMutex());
        KernelChanged().wait(lock, [&] { return overlapped->Internal != kStatusPending; });
        status = overlapped->Internal;
        count = static_cast<DWORD>(overlapped->InternalHigh);
    }
    if (transferred) *transferred = count;
    if (status != kStatusSuccess) {
        SetLastError(ErrorOfStatus(status));
        return FALSE;
    }
    return TRUE;
}

// As Windows: cancels the requests the calling thread issued on the handle, and
// succeeds also when there are none; another thread's requests stay pending.
BOOL CancelIo(HANDLE file)
{
    using namespace sim;
    if (FailsNow("CancelIo")) return FALSE;
    auto handle = DeviceOf(file);
    if (!handle) return FALSE;
    const DWORD cancelDelay = handle->Device()->config.cancelDelayMs;
    const DWORD caller = ::GetCurrentThreadId();
    std::vector<HANDLE> events;
    std::vector<std::shared_ptr<DeviceRequest>> slow;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        auto matches = [&](const DeviceRequest& r) {
            return r.owner == handle.get() && !r.cancelling && r.thread == caller;
        };
        if (cancelDelay == 0) {
            events = FinishMatchingLocked(matches, kStatusCancelled);
        } else {
            for (auto& r : Devices().outstanding) {
                if (!matches(*r)) continue;
                r->cancelling = true;
                slow.push_back(r);
            }
        }
    }
    for (auto& r : slow) FinishLater(r, cancelDelay, true);
    Signal(events);
    return TRUE;
}

// DeviceIoControl, GetOverlappedResult and CancelIo of the simulated machine: the
// IEEE 1284 device-ID request to a USB printer with overlapped I/O (answered at once,
// after a delay, never, failed, or pending through its cancellation), its outcome and
// its cancellation, held to the rules of overlapped I/O (docs/strict-machine.md).
#include "platform/sim/api/devices.h"

#include <mutex>

#include "platform/devinst.h"
#include "platform/sim/state/devices.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"

namespace {

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

std::string Pointer(const char* name, const void* p)
{
    return std::string(name) + "=" + sim::Hex(reinterpret_cast<ULONG_PTR>(p));
}

// The request still outstanding whose OVERLAPPED is this one (KernelMutex held).
const sim::DeviceRequest* PendingOverlappedLocked(const OVERLAPPED* ov)
{
    for (const auto& r : sim::Devices().outstanding)
        if (r->overlapped == ov) return r.get();
    return nullptr;
}
// The request still outstanding whose buffer shares bytes with [out, out + size)
// (KernelMutex held).
const sim::DeviceRequest* PendingBufferLocked(const BYTE* out, DWORD size)
{
    if (!out || !size) return nullptr;
    for (const auto& r : sim::Devices().outstanding)
        if (r->out && r->outSize && out < r->out + r->outSize && r->out < out + size) return r.get();
    return nullptr;
}

}  // namespace

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize, LPDWORD returned,
                     LPOVERLAPPED overlapped)
{
    using namespace sim;
    if (FailsNow("DeviceIoControl")) return FALSE;
    if (!CheckHandle("DeviceIoControl", "hDevice", device, {"device", "file"})) return Fail(ERROR_INVALID_HANDLE);
    auto handle = LookupHandleAs<DeviceHandle>(device);
    if (!handle || code != IOCTL_USBPRINT_GET_1284_ID)
        return Fail(ERROR_INVALID_FUNCTION);  // files take no control codes
    if (!out && outSize) return Fail(ERROR_INVALID_PARAMETER);
    const std::string values = HandleValue("hDevice", device) + ", " + Pointer("lpOutBuffer", out) +
                               ", nOutBufferSize=" + std::to_string(outSize) + ", " +
                               Pointer("lpOverlapped", overlapped);
    if (handle->Overlapped() && !overlapped) {
        RecordViolation("DeviceIoControl",
                        "a handle opened with FILE_FLAG_OVERLAPPED takes an OVERLAPPED (the result is undefined "
                        "without one)",
                        values);
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (!overlapped && !returned) {
        RecordViolation("DeviceIoControl", "lpBytesReturned cannot be NULL when lpOverlapped is NULL", values);
        return Fail(ERROR_NOACCESS);
    }
    if (overlapped && overlapped->hEvent &&
        !CheckHandle("DeviceIoControl", "lpOverlapped->hEvent", overlapped->hEvent, {"event"}))
        return Fail(ERROR_INVALID_HANDLE);
    if (!CheckBufferSize("DeviceIoControl", "nOutBufferSize is the size of lpOutBuffer in bytes", out, outSize, values))
        return Fail(ERROR_NOACCESS);
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        const DeviceRequest* clash = handle->Overlapped() ? PendingOverlappedLocked(overlapped) : nullptr;
        const char* rule = "an OVERLAPPED is not reused while its request is pending";
        if (!clash) {
            clash = PendingBufferLocked(static_cast<const BYTE*>(out), outSize);
            rule = "a buffer is not reused while a request that writes it is pending";
        }
        if (clash) {
            std::string other = ", pending request: " + Pointer("lpOverlapped", clash->overlapped) + ", " +
                                Pointer("lpOutBuffer", clash->out) + " (" + std::to_string(clash->outSize) + " bytes)";
            RecordViolation("DeviceIoControl", rule, values + other);
            return Fail(ERROR_INVALID_PARAMETER);
        }
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
    request->ignoresCancel = printer->config.answer == DeviceIdAnswer::IgnoresCancel;
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
    case DeviceIdAnswer::Never:
    case DeviceIdAnswer::IgnoresCancel: break;
    }

    ov->Internal = kStatusPending;
    ov->InternalHigh = 0;
    Devices().outstanding.push_back(request);
    if (printer->config.answer == DeviceIdAnswer::AfterDelay ||
        (printer->config.answer == DeviceIdAnswer::IgnoresCancel && printer->config.answerDelayMs))
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
    if (!CheckHandle("GetOverlappedResult", "hFile", file, {"device", "file"})) return Fail(ERROR_INVALID_HANDLE);
    const std::string values = HandleValue("hFile", file) + ", " + Pointer("lpOverlapped", overlapped) + ", " +
                               Pointer("lpNumberOfBytesTransferred", transferred);
    // Both are written or read unconditionally on Windows.
    if (!overlapped || !transferred) {
        RecordViolation("GetOverlappedResult", "lpOverlapped and lpNumberOfBytesTransferred point to their records",
                        values);
        return Fail(ERROR_NOACCESS);
    }
    ULONG_PTR status;
    const auto fileObject = LookupHandle(file);
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        status = overlapped->Internal;
        const DeviceRequest* r = PendingOverlappedLocked(overlapped);
        if (r && r->owner && r->owner != fileObject.get()) {
            RecordViolation("GetOverlappedResult", "hFile is the handle the request was issued on", values);
            return Fail(ERROR_INVALID_PARAMETER);
        }
    }
    if (status == kStatusPending) {
        if (!wait) return Fail(ERROR_IO_INCOMPLETE);
        // As Windows does: wait on the request's event, or on the file without one.
        HANDLE waitOn = overlapped->hEvent ? overlapped->hEvent : file;
        if (!CheckHandle("GetOverlappedResult", overlapped->hEvent ? "lpOverlapped->hEvent" : "hFile", waitOn,
                         {"event", "device", "file"}))
            return Fail(ERROR_INVALID_HANDLE);
        WaitForObject(LookupHandle(waitOn), INFINITE);
    }
    DWORD count;
    {
        std::unique_lock<std::mutex> lock(KernelMutex());
        KernelChanged().wait(lock, [&] { return overlapped->Internal != kStatusPending; });
        status = overlapped->Internal;
        count = static_cast<DWORD>(overlapped->InternalHigh);
    }
    *transferred = count;
    if (status != kStatusSuccess) return Fail(ErrorOfStatus(status));
    return TRUE;
}

// As Windows: cancels the requests the calling thread issued on the handle, and
// succeeds also when there are none; another thread's requests stay pending. A
// device that ignores cancellation keeps its requests pending all the same.
BOOL CancelIo(HANDLE file)
{
    using namespace sim;
    if (FailsNow("CancelIo")) return FALSE;
    if (!CheckHandle("CancelIo", "hFile", file, {"device", "file"})) return Fail(ERROR_INVALID_HANDLE);
    auto handle = LookupHandleAs<DeviceHandle>(file);
    if (!handle) return TRUE;  // a file has nothing outstanding here
    const DWORD cancelDelay = handle->Device()->config.cancelDelayMs;
    const DWORD caller = ::GetCurrentThreadId();
    std::vector<HANDLE> events;
    std::vector<std::shared_ptr<DeviceRequest>> slow;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        std::vector<std::shared_ptr<DeviceRequest>> mine;
        for (auto& r : Devices().outstanding)
            if (r->owner == handle.get() && !r->cancelling && r->thread == caller) mine.push_back(r);
        for (auto& r : mine) {
            r->cancelling = true;
            if (r->ignoresCancel) continue;
            if (cancelDelay == 0)
                events.push_back(FinishLocked(*r, kStatusCancelled));
            else
                slow.push_back(r);
        }
    }
    for (auto& r : slow) FinishLater(r, cancelDelay, true);
    Signal(events);
    return TRUE;
}

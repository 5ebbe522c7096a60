#include "platform/sim/state/devices.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"
#include "platform/text.h"

namespace sim {

namespace {

std::mutex g_threadsMutex;
std::vector<std::thread> g_threads;

}  // namespace

const GUID kUsbPrintInterfaceClass = {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

std::u16string UsbPrintClassKeyPath()
{
    return u"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

DWORD ErrorOfStatus(ULONG_PTR status)
{
    switch (status) {
    case kStatusSuccess: return ERROR_SUCCESS;
    case kStatusPending: return ERROR_IO_PENDING;
    case kStatusCancelled: return ERROR_OPERATION_ABORTED;
    case kStatusDeviceNotConnected: return ERROR_DEVICE_NOT_CONNECTED;
    default: return ERROR_GEN_FAILURE;
    }
}

DeviceState& Devices()
{
    static DeviceState state;
    return state;
}

std::shared_ptr<UsbDevice> FindDeviceLocked(const std::u16string& devicePath)
{
    for (const auto& d : Devices().present)
        if (text::EqualNoCaseAscii(d->config.devicePath.data(), d->config.devicePath.size(), devicePath.data(),
                                   devicePath.size()))
            return d;
    return nullptr;
}

std::vector<std::u16string> PresentUsbPrinters()
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::vector<std::u16string> paths;
    for (const auto& d : Devices().present) paths.push_back(d->config.devicePath);
    return paths;
}

void Signal(const std::vector<HANDLE>& events)
{
    for (HANDLE e : events)
        if (e) SignalEventObject(e);
    KernelChanged().notify_all();
}

std::string PendingRequestUsing(HANDLE event)
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    for (const auto& r : Devices().outstanding)
        if (r->overlapped && r->overlapped->hEvent == event)
            return "pending request: lpOverlapped=" + Hex(reinterpret_cast<ULONG_PTR>(r->overlapped)) +
                   (r->cancelling ? ", cancelled but not yet ended" : ", not cancelled");
    return std::string();
}

HANDLE FinishLocked(DeviceRequest& request, ULONG_PTR status)
{
    DWORD count = 0;
    if (status == kStatusSuccess) {
        const std::vector<BYTE>& answer = request.device->config.deviceId;
        count = static_cast<DWORD>(std::min<size_t>(answer.size(), request.outSize));
        if (count) std::memcpy(request.out, answer.data(), count);
    }
    request.overlapped->Internal = status;
    request.overlapped->InternalHigh = count;
    HANDLE event = request.overlapped->hEvent;
    if (request.cancelling && request.ignoresCancel && event) Devices().keptEvents.push_back(event);
    request.done = true;
    if (request.owner) request.owner->SetSignaled(true);
    request.overlapped = nullptr;
    request.out = nullptr;
    auto& list = Devices().outstanding;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::shared_ptr<DeviceRequest>& r) { return r.get() == &request; }),
               list.end());
    return event;
}

DeviceHandle::~DeviceHandle()
{
    // Closing the handle cancels what is still pending on it; a device that ignores
    // cancellation keeps its requests, which no longer belong to a handle.
    std::vector<HANDLE> events;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        for (auto& r : Devices().outstanding)
            if (r->owner == this && r->ignoresCancel) {  // the program asked by closing
                r->owner = nullptr;
                r->cancelling = true;
            }
        events = FinishMatchingLocked([this](const DeviceRequest& r) { return r.owner == this; }, kStatusCancelled);
        --m_device->openHandles;
    }
    Signal(events);
}

void FinishLater(std::shared_ptr<DeviceRequest> request, DWORD delayMs, bool asCancel)
{
    auto delay = Scaled(delayMs);
    std::lock_guard<std::mutex> lock(g_threadsMutex);
    g_threads.emplace_back([request, delay, asCancel]() {
        HANDLE event = nullptr;
        {
            std::unique_lock<std::mutex> lock(KernelMutex());
            auto ended = [&] { return request->done || (!asCancel && request->cancelling && !request->ignoresCancel); };
            KernelChanged().wait_for(lock, delay, ended);
            if (ended()) return;
            event = FinishLocked(*request, asCancel ? kStatusCancelled : kStatusSuccess);
        }
        Signal({event});
    });
}

std::shared_ptr<KernelObject> OpenDevicePath(LPCWSTR path, DWORD, DWORD, DWORD flags, DWORD* error)
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<UsbDevice> device = FindDeviceLocked(path);
    if (!device) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    if (device->config.openError != ERROR_SUCCESS) {
        *error = device->config.openError;
        return nullptr;
    }
    if (device->config.exclusive && device->openHandles > 0) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    ++device->openHandles;
    return std::make_shared<DeviceHandle>(device, (flags & FILE_FLAG_OVERLAPPED) != 0);
}

void ResetDevicesPart()
{
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        DeviceState& s = Devices();
        // Whoever issued these may be gone: end them without writing anything.
        for (auto& r : s.outstanding) {
            r->done = true;
            r->overlapped = nullptr;
            r->out = nullptr;
        }
        s.outstanding.clear();
        s.keptEvents.clear();
        for (auto& d : s.present) d->present = false;
        s.present.clear();
        s.requestCount = 0;
    }
    KernelChanged().notify_all();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(g_threadsMutex);
        threads.swap(g_threads);
    }
    for (auto& t : threads) t.join();
}

}  // namespace sim

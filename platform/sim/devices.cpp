// USB printers of the simulated machine: device paths that CreateFileW opens, the
// IEEE 1284 device-ID request with overlapped I/O (answered at once, after a delay,
// never, or failed), cancellation, and plugging printers in and out.
//
// A request's state, the caller's OVERLAPPED and buffer, and the printers list are
// guarded by KernelMutex(). Once a request is done the machine drops its pointers to
// the caller's memory; the caller may free it as soon as it has seen the request
// finish, and not before, as on Windows.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/devinst.h"
#include "platform/sim/control.h"
#include "platform/sim/control_devices.h"
#include "platform/sim/files.h"
#include "platform/sim/parts.h"
#include "platform/text.h"

#ifndef ERROR_DEVICE_NOT_CONNECTED
#define ERROR_DEVICE_NOT_CONNECTED 1167L
#endif

namespace sim {

const GUID kUsbPrintInterfaceClass = {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

std::u16string UsbPrintClassKeyPath()
{
    return u"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

namespace {

// The statuses the I/O manager leaves in OVERLAPPED.Internal.
constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusPending = 0x103;
constexpr ULONG_PTR kStatusUnsuccessful = 0xC0000001;
constexpr ULONG_PTR kStatusDeviceNotConnected = 0xC000009D;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;

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

struct Printer {
    UsbPrinter config;  // never changed after plugging in
    bool present = true;
    int openHandles = 0;
};

class DeviceHandle;

struct Request {
    DeviceHandle* owner = nullptr;  // valid until done: a closing handle finishes its requests
    std::shared_ptr<Printer> printer;
    LPOVERLAPPED overlapped = nullptr;
    BYTE* out = nullptr;
    DWORD outSize = 0;
    DWORD thread = 0;  // the thread that issued it: CancelIo reaches only that thread's requests
    bool cancelling = false;
    bool done = false;
};

// Guarded by KernelMutex().
std::vector<std::shared_ptr<Printer>> g_printers;  // present ones, in plug order
std::vector<std::shared_ptr<Request>> g_outstanding;
size_t g_requestCount = 0;

std::mutex g_threadsMutex;
std::vector<std::thread> g_threads;

bool SameTextNoCase(const std::u16string& a, const std::u16string& b)
{
    return text::EqualNoCaseAscii(a.data(), a.size(), b.data(), b.size());
}

HANDLE FinishLocked(Request& request, ULONG_PTR status);

class DeviceHandle : public KernelObject {
public:
    DeviceHandle(std::shared_ptr<Printer> printer, bool overlapped)
        : m_printer(std::move(printer)), m_overlapped(overlapped)
    {}
    ~DeviceHandle() override;
    const char* Kind() const override { return "device"; }
    // A file handle is signalled when a request on it finishes, as on Windows.
    bool IsSignaled() const override { return m_signaled; }

    const std::shared_ptr<Printer>& PrinterOf() const { return m_printer; }
    bool Overlapped() const { return m_overlapped; }
    void SetSignaled(bool signaled) { m_signaled = signaled; }

private:
    std::shared_ptr<Printer> m_printer;
    bool m_overlapped;
    bool m_signaled = false;
};

void Signal(const std::vector<HANDLE>& events)
{
    for (HANDLE e : events)
        if (e) ::SetEvent(e);
    KernelChanged().notify_all();
}

// Ends a request (KernelMutex held): the answer into the caller's buffer on success,
// the outcome into its OVERLAPPED. Returns the event to set once the lock is released.
HANDLE FinishLocked(Request& request, ULONG_PTR status)
{
    DWORD count = 0;
    if (status == kStatusSuccess) {
        const std::vector<BYTE>& answer = request.printer->config.deviceId;
        count = static_cast<DWORD>(std::min<size_t>(answer.size(), request.outSize));
        if (count) std::memcpy(request.out, answer.data(), count);
    }
    request.overlapped->Internal = status;
    request.overlapped->InternalHigh = count;
    HANDLE event = request.overlapped->hEvent;
    request.done = true;
    request.owner->SetSignaled(true);
    request.overlapped = nullptr;
    request.out = nullptr;
    auto& list = g_outstanding;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::shared_ptr<Request>& r) { return r.get() == &request; }),
               list.end());
    return event;
}

// Finishes every outstanding request that matches (KernelMutex held).
template <class Match>
std::vector<HANDLE> FinishMatchingLocked(Match match, ULONG_PTR status)
{
    std::vector<HANDLE> events;
    std::vector<std::shared_ptr<Request>> copy = g_outstanding;
    for (auto& r : copy)
        if (match(*r)) events.push_back(FinishLocked(*r, status));
    return events;
}

DeviceHandle::~DeviceHandle()
{
    // Closing the handle cancels what is still pending on it.
    std::vector<HANDLE> events;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        events = FinishMatchingLocked([this](const Request& r) { return r.owner == this; }, kStatusCancelled);
        --m_printer->openHandles;
    }
    Signal(events);
}

// Finishes the request after a scaled delay, with the answer or (for a cancel that
// takes time) as cancelled, unless it has ended otherwise by then.
void FinishLater(std::shared_ptr<Request> request, DWORD delayMs, bool asCancel)
{
    auto delay = Scaled(delayMs);
    std::lock_guard<std::mutex> lock(g_threadsMutex);
    g_threads.emplace_back([request, delay, asCancel]() {
        HANDLE event = nullptr;
        {
            std::unique_lock<std::mutex> lock(KernelMutex());
            auto ended = [&] { return request->done || (!asCancel && request->cancelling); };
            KernelChanged().wait_for(lock, delay, ended);
            if (ended()) return;
            event = FinishLocked(*request, asCancel ? kStatusCancelled : kStatusSuccess);
        }
        Signal({event});
    });
}

}  // namespace

std::shared_ptr<KernelObject> OpenDevicePath(LPCWSTR path, DWORD, DWORD, DWORD flags, DWORD* error)
{
    std::u16string wanted(path);
    std::lock_guard<std::mutex> lock(KernelMutex());
    auto it = std::find_if(g_printers.begin(), g_printers.end(), [&](const std::shared_ptr<Printer>& p) {
        return SameTextNoCase(p->config.devicePath, wanted);
    });
    if (it == g_printers.end()) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    Printer& printer = **it;
    if (printer.config.openError != ERROR_SUCCESS) {
        *error = printer.config.openError;
        return nullptr;
    }
    if (printer.config.exclusive && printer.openHandles > 0) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    ++printer.openHandles;
    return std::make_shared<DeviceHandle>(*it, (flags & FILE_FLAG_OVERLAPPED) != 0);
}

// --- control -------------------------------------------------------------------------------

bool PlugInUsbPrinter(const UsbPrinter& config)
{
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        for (const auto& p : g_printers)
            if (SameTextNoCase(p->config.devicePath, config.devicePath)) return false;
        auto printer = std::make_shared<Printer>();
        printer->config = config;
        g_printers.push_back(printer);
    }
    for (const auto& id : config.hardwareIds) SetHardwareIdPresent(id, true);
    return true;
}

bool UnplugUsbPrinter(const std::u16string& devicePath)
{
    std::shared_ptr<Printer> printer;
    std::vector<HANDLE> events;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        auto it = std::find_if(g_printers.begin(), g_printers.end(), [&](const std::shared_ptr<Printer>& p) {
            return SameTextNoCase(p->config.devicePath, devicePath);
        });
        if (it == g_printers.end()) return false;
        printer = *it;
        g_printers.erase(it);
        printer->present = false;
        events =
            FinishMatchingLocked([&](const Request& r) { return r.printer == printer; }, kStatusDeviceNotConnected);
    }
    Signal(events);
    for (const auto& id : printer->config.hardwareIds) SetHardwareIdPresent(id, false);
    if (!printer->config.interfaceKey.empty())
        DeleteRegistryKey(HKEY_LOCAL_MACHINE,
                          UsbPrintClassKeyPath() + u"\\" + printer->config.interfaceKey + u"\\#\\Control");
    return true;
}

std::vector<std::u16string> PresentUsbPrinters()
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::vector<std::u16string> paths;
    for (const auto& p : g_printers) paths.push_back(p->config.devicePath);
    return paths;
}

std::vector<BYTE> DeviceIdBytes(const std::string& idText)
{
    size_t length = idText.size() + 2;
    std::vector<BYTE> bytes{static_cast<BYTE>((length >> 8) & 0xFF), static_cast<BYTE>(length & 0xFF)};
    bytes.insert(bytes.end(), idText.begin(), idText.end());
    return bytes;
}

size_t DeviceRequestCount()
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    return g_requestCount;
}

size_t OutstandingDeviceRequests()
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    return g_outstanding.size();
}

void ResetDevicesPart()
{
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        // Whoever issued these may be gone: end them without writing anything.
        for (auto& r : g_outstanding) {
            r->done = true;
            r->overlapped = nullptr;
            r->out = nullptr;
        }
        g_outstanding.clear();
        for (auto& p : g_printers) p->present = false;
        g_printers.clear();
        g_requestCount = 0;
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

// --- kernel32 -------------------------------------------------------------------------------

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize, LPDWORD returned,
                     LPOVERLAPPED overlapped)
{
    using namespace sim;
    DWORD error;
    if (TakeFailure("DeviceIoControl", &error)) {
        SetLastError(error);
        return FALSE;
    }
    auto handle = LookupHandleAs<DeviceHandle>(device);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
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

    auto request = std::make_shared<Request>();
    HANDLE event = nullptr;
    DWORD count = 0;
    std::unique_lock<std::mutex> lock(KernelMutex());
    std::shared_ptr<Printer> printer = handle->PrinterOf();
    if (!printer->present) {
        lock.unlock();
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    ++g_requestCount;
    request->owner = handle.get();
    request->thread = ::GetCurrentThreadId();
    request->printer = printer;
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
    g_outstanding.push_back(request);
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
    DWORD error;
    if (TakeFailure("GetOverlappedResult", &error)) {
        SetLastError(error);
        return FALSE;
    }
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
    DWORD error;
    if (TakeFailure("CancelIo", &error)) {
        SetLastError(error);
        return FALSE;
    }
    auto handle = LookupHandleAs<DeviceHandle>(file);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const DWORD cancelDelay = handle->PrinterOf()->config.cancelDelayMs;
    const DWORD caller = ::GetCurrentThreadId();
    std::vector<HANDLE> events;
    std::vector<std::shared_ptr<Request>> slow;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        auto matches = [&](const Request& r) { return r.owner == handle.get() && !r.cancelling && r.thread == caller; };
        if (cancelDelay == 0) {
            events = FinishMatchingLocked(matches, kStatusCancelled);
        } else {
            for (auto& r : g_outstanding) {
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

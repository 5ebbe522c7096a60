#include "detect/DeviceIdRequest.h"

#include <atomic>
#include <new>

#include "platform/devinst.h"
#include "platform/kernel.h"

namespace devid {

namespace {

// The memory of one request: what the system writes while the request is pending.
struct Request {
    OVERLAPPED overlapped = {};
    BYTE* data = nullptr;
    Request* nextKept = nullptr;

    ~Request()
    {
        delete[] data;
        if (overlapped.hEvent) ::CloseHandle(overlapped.hEvent);
    }
};

// Requests given up while still pending, kept until their event tells that they
// ended (and reachable meanwhile, so that they are not taken for leaks). A thread
// takes the whole list to look at it and puts back what is still pending, so that
// two threads never look at the same request.
std::atomic<Request*> g_kept{nullptr};
std::atomic<int> g_keptCount{0};

void Push(Request* request)
{
    request->nextKept = g_kept.load();
    while (!g_kept.compare_exchange_weak(request->nextKept, request)) {}
}

void Keep(Request* request)
{
    Push(request);
    ++g_keptCount;
}

Request* NewRequest(DWORD size)
{
    Request* request = new (std::nothrow) Request;
    if (!request) return nullptr;
    request->data = new (std::nothrow) BYTE[size ? size : 1];
    request->overlapped.hEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!request->data || !request->overlapped.hEvent) {
        delete request;
        return nullptr;
    }
    return request;
}

}  // namespace

BOOL RequestDeviceId(HANDLE device, BYTE* buffer, DWORD size, DWORD* returned)
{
    if (!buffer && size) return FALSE;
    ReleaseEndedRequests();
    Request* request = NewRequest(size);
    if (!request) return FALSE;

    DWORD count = 0;
    BOOL ok = ::DeviceIoControl(device, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, request->data, size, &count,
                                &request->overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(request->overlapped.hEvent, kAnswerWaitMs) == WAIT_OBJECT_0) {
            ok = ::GetOverlappedResult(device, &request->overlapped, &count, TRUE);
        } else {
            // Too late: cancel it. CancelIo reaches the requests this thread issued on
            // the handle, and this thread issued it (XP has no CancelIoEx). Whether or
            // not the cancel is taken, the request may yet end by itself.
            ::CancelIo(device);
            if (::WaitForSingleObject(request->overlapped.hEvent, kCancelWaitMs) != WAIT_OBJECT_0) {
                // Still pending: the system may write into the OVERLAPPED and the
                // buffer whenever the device ends it, so they stay where they are.
                Keep(request);
                return FALSE;
            }
            DWORD ignored = 0;
            ::GetOverlappedResult(device, &request->overlapped, &ignored, FALSE);
            ok = FALSE;  // answered or cancelled, it came too late
        }
    }
    if (ok) {
        if (count > size) count = size;
        for (DWORD i = 0; i < count; ++i) buffer[i] = request->data[i];
        if (returned) *returned = count;
    }
    delete request;
    return ok;
}

void ReleaseEndedRequests()
{
    Request* request = g_kept.exchange(nullptr);
    while (request) {
        Request* next = request->nextKept;
        // The system sets the event when the request ends; nobody has waited for it
        // since the request was given up.
        if (::WaitForSingleObject(request->overlapped.hEvent, 0) == WAIT_OBJECT_0) {
            delete request;
            --g_keptCount;
        } else {
            Push(request);
        }
        request = next;
    }
}

int KeptRequestCount() { return g_keptCount.load(); }

void ForgetKeptRequests()
{
    for (Request* request = g_kept.exchange(nullptr); request;) {
        Request* next = request->nextKept;
        request->overlapped.hEvent = nullptr;
        delete request;
        --g_keptCount;
        request = next;
    }
}

}  // namespace devid

// Forced into GoogleTest's own sources and the tests when they are built with
// MinGW's win32 thread model, which has no std::mutex: GoogleTest's one use of it,
// Notification, over a Windows event instead.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {
class Notification {
public:
    Notification() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(m_event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { ::SetEvent(m_event); }
    void WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};
}  // namespace internal
}  // namespace testing

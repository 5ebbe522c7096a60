// Text the program shows on purpose on its standard output or standard error. A GUI
// program has no console of its own: when its starter redirected the stream (to a
// file, a pipe or NUL), the inherited handle takes the text as UTF-8; otherwise the
// text goes to the console of the command prompt that started it, as GUI programs
// that print their usage do, in UTF-16 so that any name reads right there.
#include "platform/kernel.h"
#include "platform/text.h"

namespace {

// The parent's console, attached and opened once for the life of the process;
// INVALID_HANDLE_VALUE when there is none (a start from Explorer or a service).
HANDLE ParentConsole()
{
    static HANDLE console = nullptr;
    if (console) return console;
    console = INVALID_HANDLE_VALUE;
    // ERROR_ACCESS_DENIED: attached already (to the console it was started with).
    if (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED)
        console = ::CreateFileW(TEXT("CONOUT$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    return console;
}

WString WithCarriageReturns(const WCHAR* text)
{
    WString out;
    for (const WCHAR* p = text; *p; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
    return out;
}

bool WriteToConsole(HANDLE console, const WString& text)
{
    DWORD written = 0;
    return ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

bool WriteStandardText(DWORD stream, const WCHAR* text)
{
    if (!text || (stream != STD_OUTPUT_HANDLE && stream != STD_ERROR_HANDLE)) return false;
    WString lines = WithCarriageReturns(text);
    HANDLE handle = ::GetStdHandle(stream);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE) {
        if (!::GetConsoleMode(handle, &mode)) {  // redirected: a file, a pipe or NUL
            std::string utf8 = text::ToUtf8(lines);
            DWORD written = 0;
            return ::WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
                   written == utf8.size();
        }
        if (WriteToConsole(handle, lines)) return true;
    }
    HANDLE console = ParentConsole();
    return console != INVALID_HANDLE_VALUE && WriteToConsole(console, lines);
}

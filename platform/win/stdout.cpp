// Standard output of the Windows program: whatever handle the starter attached
// (none for a GUI program started by a double click, and then nothing is written).
// Formatted by user32's wvsprintfA, which knows the program's few conversions (%x,
// %d, %s); the C runtime's printf family would bring its float formatting along.
#include <cstdarg>

#include "platform/kernel.h"

namespace {
constexpr int kLineBytes = 1024;  // wvsprintfA writes at most this much
}

void PrintToStdout(const char* format, ...)
{
    char text[kLineBytes];
    va_list args;
    va_start(args, format);
    int length = ::wvsprintfA(text, format, args);
    va_end(args);
    if (length <= 0) return;
    // Line ends as the C runtime's text mode wrote them.
    char out[2 * kLineBytes];
    DWORD size = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '\n') out[size++] = '\r';
        out[size++] = text[i];
    }
    HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(handle, out, size, &written, nullptr);
}

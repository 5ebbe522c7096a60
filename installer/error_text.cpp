#include "installer/error_text.h"

#include "platform/error_names.h"
#include "platform/kernel.h"

namespace error_text {

WString Describe(DWORD code)
{
    // The device installation's codes (0xE0000...) are read in hexadecimal.
    WString out =
        text::Format(code >= 0x80000000u ? TEXT("error 0x%x") : TEXT("error %u"), static_cast<unsigned>(code));
    const WCHAR* name = text::ErrorName(code);
    WCHAR message[512] = {0};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                    message, 512, nullptr);
    // One line of the log: the message's line ends and trailing blanks go.
    for (DWORD i = 0; i < length; ++i)
        if (message[i] == '\r' || message[i] == '\n') message[i] = ' ';
    while (length > 0 && message[length - 1] == ' ') message[--length] = 0;
    if (!name && !length) return out;
    out += TEXT(" (");
    if (name) out += name;
    if (name && length) out += TEXT(": ");
    if (length) out += message;
    return out + TEXT(")");
}

}  // namespace error_text

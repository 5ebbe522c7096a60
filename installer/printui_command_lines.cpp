#include "installer/printui_command_lines.h"

#include "platform/text.h"

namespace printui {

namespace {

const WCHAR* const kInstallFormat = TEXT("PRINTUI.DLL,PrintUIEntry /if /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ");
const WCHAR* const kQuietInstallFormat =
    TEXT("PRINTUI.DLL,PrintUIEntry /if /q /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ");
const WCHAR* const kSetDefaultFormat = TEXT("PRINTUI.DLL,PrintUIEntry /y /q /n \"%s\"");
const WCHAR* const kTestPageFormat = TEXT("PRINTUI.DLL,PrintUIEntry /k /q /n \"%s\"");

bool HasQuote(const WCHAR* s) { return text::Find(s, '"') != nullptr; }

bool Refuse(WCHAR* out, size_t capacity)
{
    if (out && capacity > 0) out[0] = 0;
    return false;
}

// The value as it goes between its quotation marks, so that CommandLineToArgvW reads
// it back as it stands: the backslashes it ends with are doubled, since n backslashes
// before a quotation mark would otherwise keep n / 2 of them and, for an odd n, turn
// the closing mark into a literal one that takes the switches after it into the value
// (a port C:\out\ or the bare driver folder D:\PrinterDriver\). Backslashes anywhere
// else stand for themselves.
WString Quotable(const WCHAR* value)
{
    WString s = value;
    size_t end = s.size();
    while (end > 0 && s[end - 1] == '\\') --end;
    s.append(s.size() - end, '\\');
    return s;
}

}  // namespace

bool ComposeInstallCommand(WCHAR* out, size_t capacity, const WCHAR* printer, const WCHAR* inf, const WCHAR* port,
                           bool quiet)
{
    if (!printer || !inf || !port || HasQuote(printer) || HasQuote(inf) || HasQuote(port)) return Refuse(out, capacity);
    WString name = Quotable(printer);
    return text::FormatInto(out, capacity, quiet ? kQuietInstallFormat : kInstallFormat, name.c_str(),
                            Quotable(inf).c_str(), Quotable(port).c_str(), name.c_str()) == text::kOk;
}

bool ComposeSetDefaultCommand(WCHAR* out, size_t capacity, const WCHAR* printer)
{
    if (!printer || HasQuote(printer)) return Refuse(out, capacity);
    return text::FormatInto(out, capacity, kSetDefaultFormat, Quotable(printer).c_str()) == text::kOk;
}

bool ComposeTestPageCommand(WCHAR* out, size_t capacity, const WCHAR* printer)
{
    if (!printer || HasQuote(printer)) return Refuse(out, capacity);
    return text::FormatInto(out, capacity, kTestPageFormat, Quotable(printer).c_str()) == text::kOk;
}

}  // namespace printui

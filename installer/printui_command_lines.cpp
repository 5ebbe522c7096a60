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

}  // namespace

bool ComposeInstallCommand(WCHAR* out, size_t capacity, const WCHAR* printer, const WCHAR* inf, const WCHAR* port,
                           bool quiet)
{
    if (!printer || !inf || !port || HasQuote(printer) || HasQuote(inf) || HasQuote(port)) return Refuse(out, capacity);
    return text::FormatInto(out, capacity, quiet ? kQuietInstallFormat : kInstallFormat, printer, inf, port, printer) ==
           text::kOk;
}

bool ComposeSetDefaultCommand(WCHAR* out, size_t capacity, const WCHAR* printer)
{
    if (!printer || HasQuote(printer)) return Refuse(out, capacity);
    return text::FormatInto(out, capacity, kSetDefaultFormat, printer) == text::kOk;
}

bool ComposeTestPageCommand(WCHAR* out, size_t capacity, const WCHAR* printer)
{
    if (!printer || HasQuote(printer)) return Refuse(out, capacity);
    return text::FormatInto(out, capacity, kTestPageFormat, printer) == text::kOk;
}

}  // namespace printui

#include "installer/spooler.h"

namespace spooler {

namespace {

const WCHAR* const kInstallFormat = TEXT("PRINTUI.DLL,PrintUIEntry /if /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ");
const WCHAR* const kSetDefaultFormat = TEXT("PRINTUI.DLL,PrintUIEntry /y /q /n \"%s\"");
const WCHAR* const kTestPageFormat = TEXT("PRINTUI.DLL,PrintUIEntry /k /q /n \"%s\"");

bool HasQuote(const WCHAR* s)
{
    for (; s && *s; ++s)
        if (*s == '"') return true;
    return false;
}

bool Refuse(WCHAR* out, size_t capacity)
{
    if (out && capacity > 0) out[0] = 0;
    return false;
}

const WCHAR* Find(const WCHAR* s, WCHAR c)
{
    for (; *s; ++s)
        if (*s == c) return s;
    return nullptr;
}

bool Contains(const WCHAR* s, const WCHAR* needle)
{
    for (; *s; ++s) {
        size_t i = 0;
        while (needle[i] && s[i] == needle[i]) ++i;
        if (!needle[i]) return true;
    }
    return false;
}

}  // namespace

bool IsSameName(const WCHAR* printer, const WCHAR* name)
{
    if (!printer || !name || !name[0]) return false;
    return text::Equal(printer, name);
}

bool IsCopyName(const WCHAR* printer, const WCHAR* name)
{
    if (!printer || !name || !name[0]) return false;
    size_t n = text::Length(name);
    if (text::Length(printer) <= n + 2) return false;
    for (size_t i = 0; i < n; ++i)
        if (printer[i] != name[i]) return false;
    return printer[n + 1] == '(';
}

bool ComposeInstallCommand(WCHAR* out, size_t capacity, const WCHAR* printer, const WCHAR* inf, const WCHAR* port)
{
    if (!printer || !inf || !port || HasQuote(printer) || HasQuote(inf) || HasQuote(port)) return Refuse(out, capacity);
    return text::FormatInto(out, capacity, kInstallFormat, printer, inf, port, printer) == text::kOk;
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

const WCHAR* LauncherMessage(DWORD error)
{
    switch (error) {
    case 2: return TEXT("The specified file was not found.");
    case 3: return TEXT("The specified path was not found.");
    case 5: return TEXT("Access to the specified file is denied.");
    case 8: return TEXT("There is not enough memory to perform the specified action.");
    case 32: return TEXT("A sharing violation occurred.");
    case 1155: return TEXT("There is no application associated with the given file name extension.");
    case 1156: return TEXT("The Dynamic Data Exchange (DDE) transaction failed.");
    case 1157: return TEXT("One of the library files necessary to run the application can't be found.");
    case 1223:
        return TEXT("The function prompted the user for additional information, but the user canceled the request.");
    default: return TEXT("Other error occurred.");
    }
}

WString InfModelName(const WCHAR* quotedName)
{
    static const WCHAR kMixed[] = TEXT("Korvel");
    static const WCHAR kUpper[] = TEXT("KORVEL");
    WString s = quotedName ? quotedName : TEXT("");
    for (size_t at = s.find(kMixed); at != WString::npos; at = s.find(kMixed, at + 6)) s.replace(at, 6, kUpper);
    return s;
}

bool AcceptModelLine(const WCHAR* line, const WCHAR* matchText, int matchLength, WString& hardwareId)
{
    if (!line || !matchText || matchLength < 0) return false;
    // The first matchLength characters, compared as wcsncmp does: a line that ends
    // sooner differs at its terminator.
    for (int i = 0; i < matchLength; ++i) {
        if (line[i] != matchText[i]) return false;
        if (!line[i]) break;
    }
    const WCHAR* first = Find(line, ',');
    if (!first || !Contains(first + 1, TEXT("USB"))) return false;
    const WCHAR* second = Find(first + 1, ',');
    size_t length = second ? static_cast<size_t>(second - (first + 1)) : 0;
    if (length >= kHardwareIdBytes) return false;
    hardwareId.assign(first + 1, length);
    return true;
}

}  // namespace spooler

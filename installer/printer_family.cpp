#include "installer/printer_family.h"

#include "platform/text.h"

namespace printer_family {

bool IsSameName(const WCHAR* printer, const WCHAR* name)
{
    if (!printer || !name || !name[0]) return false;
    return text::EqualIgnoringCase(printer, text::Length(printer), name, text::Length(name));
}

bool IsCopyName(const WCHAR* printer, const WCHAR* name)
{
    if (!printer || !name || !name[0]) return false;
    size_t n = text::Length(name);
    if (text::Length(printer) <= n + 2) return false;
    return text::EqualIgnoringCase(printer, n, name, n) && printer[n + 1] == '(';
}

}  // namespace printer_family

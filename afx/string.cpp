#include "afx/string.h"

void CString::Format(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_s = text::FormatV(format, args);
    va_end(args);
}

// Standard output of the Windows program. The system's C runtime formats the two
// diagnostic lines; MinGW's own printf family would add its float formatting to the
// program for nothing.
#define __USE_MINGW_ANSI_STDIO 0
#include <cstdarg>
#include <cstdio>

#include "platform/kernel.h"

void PrintToStdout(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    fflush(stdout);
}

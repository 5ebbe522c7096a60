// Standard output of the Windows program.
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

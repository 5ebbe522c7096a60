// A planted library (built as newdev.dll and as winspool.drv): it exports nothing and
// leaves a marker as soon as any process loads it.
#include "tests/wine/planting/marker.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(instance);
    return TRUE;
}

// A planted rundll32.exe: leaves a marker and ends, doing nothing it was asked.
#include "tests/wine/planting/marker.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    LeaveMarker(nullptr);
    return 0;
}

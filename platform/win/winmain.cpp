// Entry points of the Windows program. The process starts in KorvelStartup rather
// than in the C runtime's start-up, so that the DLL search is restricted before any
// other code runs (static constructors included); the runtime then starts as usual
// and calls wWinMain, the framework's start-up.
#include "afx/afx.h"
#include "platform/win/system_library.h"

extern "C" int WinMainCRTStartup(void);

extern "C" __attribute__((force_align_arg_pointer)) int KorvelStartup(void)
{
    win::RestrictDllSearchAtStart();
    return WinMainCRTStartup();
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return AfxRunApplication(instance); }

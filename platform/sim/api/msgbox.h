// MessageBoxW of the simulated machine: the box stays open, and its owner's
// top-level window disabled, until the user (the control API) answers it.
#pragma once

#include "platform/sim/api/windows.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONERROR 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONWARNING 0x00000030L
#define MB_ICONINFORMATION 0x00000040L

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

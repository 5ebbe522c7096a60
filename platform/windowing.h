// Windowing and common controls: message boxes, timers, messages between threads,
// dialog controls and the property sheet that the UI framework is built on.
#pragma once

#include "platform/types.h"

#ifdef _WIN32
#include <commctrl.h>
#include <prsht.h>
#else
#include "platform/sim/api/msgbox.h"
#include "platform/sim/api/propsheet.h"
#include "platform/sim/api/windows.h"
#endif

// Wizard buttons of a property sheet (the same IDs on every Windows version).
#ifndef IDC_BACK_BUTTON
#define IDC_BACK_BUTTON 0x3023
#define IDC_NEXT_BUTTON 0x3024
#define IDC_FINISH_BUTTON 0x3025
#endif

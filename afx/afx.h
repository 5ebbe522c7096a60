// The UI framework the wizard is written against: an application object, a
// property sheet in wizard mode with its pages, list controls, a UTF-16 string and
// dialog data exchange. A thin layer over the property-sheet API: a dialog
// procedure turns notifications into calls of overridable members, as WTL does.
// The same code runs over real windows on Windows and over the simulated machine's
// windows on Linux.
//
// It is a layer above the platform: it uses only platform/windowing.h and
// platform/text.h, so the same text builds on both systems. Each part has a header of
// its own, as it has a source: string.h, wnd.h, propsheet.h, app.h, stdiofile.h.
#pragma once

#include "afx/app.h"
#include "afx/propsheet.h"
#include "afx/stdiofile.h"
#include "afx/string.h"
#include "afx/wnd.h"

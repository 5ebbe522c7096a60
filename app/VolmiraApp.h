// The application object: starts the common controls, runs the wizard sheet
// modally and ends the program when the sheet closes.
#pragma once

#include "platform/afx.h"

class CVolmiraApp : public CWinApp {
public:
    CVolmiraApp();
    // Always FALSE: the program ends as soon as the wizard closes.
    BOOL InitInstance() override;
};

extern CVolmiraApp theApp;

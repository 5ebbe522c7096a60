// The application object: starts the common controls, runs the wizard sheet
// modally and ends the program when the sheet closes.
#pragma once

#include "platform/afx.h"

class CVolmiraApp : public CWinApp {
public:
    CVolmiraApp();
    // Always FALSE: the program ends as soon as the wizard closes.
    BOOL InitInstance() override;
    // The program's exit code: the x86-64 sibling's when it stood in for this
    // program, else 0.
    int ExitInstance() override;

private:
    int m_nExitCode = 0;
};

extern CVolmiraApp theApp;

// The application object: starts the common controls, runs the wizard sheet
// modally and ends the program when the sheet closes.
#pragma once

#include "afx/afx.h"

namespace cmdline {
struct Options;
}
struct SiblingRun;

class CVolmiraApp : public CWinApp {
public:
    CVolmiraApp();
    // Always FALSE: the program ends as soon as the wizard closes, or its run
    // without the wizard has ended.
    BOOL InitInstance() override;
    // The program's exit code: the x86-64 sibling's when it stood in for this
    // program; that of the run with arguments (0, 3010, 1603 or 1639); else 0.
    int ExitInstance() override;

private:
    // The wizard sheet with its four pages, run modally.
    void RunWizard();
    // A start with arguments: the log, then a bad command line, the usage, the
    // catalogue, an unattended installation or the wizard. Returns the exit code.
    int RunWithArguments(const cmdline::Options& options, const SiblingRun& sibling);

    int m_nExitCode = 0;
};

extern CVolmiraApp theApp;

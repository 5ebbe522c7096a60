// The application object: the program's start and end.
#pragma once

#include "afx/string.h"
#include "platform/windowing.h"

// --- the application ---------------------------------------------------------------
class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Help command: the wizard ships no help file, so there is nothing to open.
    void OnHelp() {}
    void SetRegistryKey(LPCWSTR key) { m_strRegistryKey = key; }

    CString m_strAppName;
    CString m_strRegistryKey;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
void AfxEnableControlContainer();
// The program's start: InitInstance, then ExitInstance when it returns FALSE.
int AfxRunApplication(HINSTANCE instance);

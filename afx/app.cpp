#include "afx/app.h"
#include "platform/kernel.h"

namespace {
CWinApp* g_app = nullptr;

// The application name the framework derives when none is given: the program
// file's name without its extension.
CString NameFromModule()
{
    WCHAR path[MAX_PATH] = {0};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return CString();
    size_t start = 0, end = n;
    for (size_t i = 0; i < n; ++i) {
        if (path[i] == '\\' || path[i] == '/') start = i + 1;
        if (path[i] == '.') end = i;
    }
    if (end <= start) end = n;
    return CString(path + start, static_cast<int>(end - start));
}
}  // namespace

CWinApp::CWinApp(LPCWSTR appName) : m_strAppName(appName) { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() { return g_app; }

// The wizard hosts no ActiveX controls; the call is kept for the start-up order.
void AfxEnableControlContainer() {}

int AfxRunApplication(HINSTANCE instance)
{
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    if (app->m_strAppName.IsEmpty()) app->m_strAppName = NameFromModule();
    // A dialog-only program returns FALSE from InitInstance; there is no main
    // window, so the framework runs no message loop of its own either way.
    app->InitInstance();
    return app->ExitInstance();
}

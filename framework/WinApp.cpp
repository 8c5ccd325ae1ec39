// CWinApp, AfxMessageBox and the program's entry point.
#include "framework/WinApp.h"

#include "framework/MessageBox.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const wchar_t* appName) : m_appName(appName) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

int CWinApp::Start(HINSTANCE instance) {
    m_instance = instance;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    m_modulePath = path;
    if (!m_appName.IsEmpty()) {
        m_title = m_appName;
    } else {
        CString name = m_modulePath.Mid(m_modulePath.ReverseFind(L'\\') + 1);
        int dot = name.ReverseFind(L'.');
        m_title = dot >= 0 ? name.Left(dot) : name;
    }
    InitInstance();
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }

int AfxMessageBox(const wchar_t* text, UINT type) {
    // Like the framework this mimics, the box is owned by the thread's active window, if any.
    HWND owner = GetActiveWindow();
    const wchar_t* caption = g_app ? g_app->GetTitle().GetString() : L"";
    return ShowMessageBox(owner, text, caption, type);
}

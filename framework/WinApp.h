// CWinApp: the one application object. The program defines a static instance of a class
// derived from it; the entry point (WinApp.cpp) calls its InitInstance, then ExitInstance,
// and ends the process with ExitInstance's result.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CWinApp {
public:
    // With no name, the application title is the program's file name without its extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // Runs the application object: title, InitInstance, ExitInstance. Returns the exit code.
    int Start(HINSTANCE instance);

    const CString& GetTitle() const { return m_title; }
    // The module path as the system reported it at start-up.
    const CString& GetModulePath() const { return m_modulePath; }
    HINSTANCE GetInstanceHandle() const { return m_instance; }

private:
    CString m_appName;
    CString m_title;
    CString m_modulePath;
    HINSTANCE m_instance = nullptr;
};

// The application object, or nullptr before one exists.
CWinApp* AfxGetApp();

// A message box captioned with the application title; type defaults to a plain OK box.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);

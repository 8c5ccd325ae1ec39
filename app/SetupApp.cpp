// The application object and the main sequence of a run.
#include "app/SetupApp.h"

#include <shellapi.h>

#include "app/Messages.h"
#include "framework/Time.h"
#include "fs/FileOps.h"
#include "fs/Paths.h"
#include "fs/RelativePath.h"

using namespace setup_text;

namespace {

constexpr UINT kProgressTemplate = 138;
constexpr UINT kShowFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
constexpr DWORD kWaitSliceMs = 5000;
constexpr int kLongPathUnits = 1024;

void Warn(const wchar_t* text) { AfxMessageBox(text, MB_OK | MB_ICONWARNING); }

// The long form of the running program's path; empty when it cannot be had.
CString LongProgramPath() {
    wchar_t shortPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, shortPath, MAX_PATH);
    wchar_t longPath[kLongPathUnits] = {};
    DWORD length = GetLongPathNameW(shortPath, longPath, kLongPathUnits);
    if (length == 0 || length >= kLongPathUnits) return CString();
    return CString(longPath);
}

}  // namespace

CString ApplicationNameFrom(const CString& programFileName) {
    int a = programFileName.Find(L'_');
    int b = a < 0 ? -1 : programFileName.Find(L'_', a + 1);
    if (a < 0 || b < 0 || b - a == 1) return CString(kDefaultApplicationName);
    return programFileName.Mid(a + 1, b - a - 1);
}

CSetupApp::CSetupApp() = default;
CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    // The window, shown on top of everything and painted at once: no message loop runs.
    m_progressDlg.Create(kProgressTemplate, nullptr);
    m_progressDlg.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, kShowFlags);
    // The banner and the bar are child windows: without RDW_ALLCHILDREN they would stay
    // unpainted until something else pumps the window, and no message loop ever does.
    InvalidateRect(m_progressDlg.GetSafeHwnd(), nullptr, TRUE);
    RedrawWindow(m_progressDlg.GetSafeHwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    SetProgramFolder(GetModulePath());
    SetCurrentDirectoryW(GetProgramFolder());

    CString programPath = LongProgramPath();
    CString programFolder, programFileName;
    SplitPath(programPath, programFolder, programFileName);
    CString applicationName = ApplicationNameFrom(programFileName);
    CString workingFolder = GetTempFolder() + kProjectsFolder + applicationName + kWorkingFolderSuffix;

    CString downloadSite;
    if (!PrepareSetup(applicationName, workingFolder, m_progressDlg.GetSafeHwnd(), downloadSite)) {
        m_progressDlg.SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, kShowFlags);
        m_progressDlg.DestroyWindow();
    } else {
        CString installationTime = CTime::GetCurrentTime().FormatGmt(kInstallationTimeFormat);
        if (!WriteUserInfoFile(workingFolder, programPath, workingFolder, downloadSite, applicationName,
                               installationTime)) {
            // Everything stays as it is: the final setup never starts, nothing is cleaned up.
            Warn(kUserInfoFailed);
            return FALSE;
        }

        // A program name that would lead out of the working folder is not started.
        CString programToRun = m_iniParser.GetValue(kTagProgramToRun);
        CString program = workingFolder + L"\\" + programToRun;
        SHELLEXECUTEINFOW launch = {};
        launch.cbSize = sizeof launch;
        launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_UNICODE | SEE_MASK_NO_CONSOLE;
        launch.hwnd = m_progressDlg.GetSafeHwnd();
        launch.lpVerb = L"open";
        launch.lpFile = program;
        launch.lpParameters = L"";
        launch.lpDirectory = workingFolder;
        launch.nShow = SW_SHOW;
        if (IsContainedRelativePath(programToRun)) ShellExecuteExW(&launch);
        m_progressDlg.DestroyWindow();

        if (launch.hProcess) {
            while (WaitForSingleObject(launch.hProcess, kWaitSliceMs) == WAIT_TIMEOUT) {
            }
            CloseHandle(launch.hProcess);
        } else {
            Warn(kStartFailed);
        }
    }

    SetCurrentDirectoryW(GetProgramFolder());
    DeleteFolder(workingFolder);
    return FALSE;
}

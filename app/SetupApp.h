// CSetupApp: the application object. Its InitInstance runs one whole bootstrap: progress
// window, working folder, setup description and listed files, user info file, the final
// setup and its end, clean-up. It always returns FALSE, so the process ends right after.
#pragma once

#include <string>

#include "description/IniParser.h"
#include "framework/WinApp.h"
#include "transfer/Downloader.h"
#include "ui/ProgressDlg.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp();
    ~CSetupApp() override;

    BOOL InitInstance() override;

    // Brings the description and every file it lists into the working folder. Shows its
    // own message and returns false on every failure. downloadSite receives the site the
    // listed files come from (left alone when none is listed).
    bool PrepareSetup(CString applicationName, CString workingFolder, HWND progressWindow, CString& downloadSite);

    // The first site of "Download Sites" that announces more than 1000 bytes for the first
    // listed file, or an empty string.
    CString FindDownloadSite();

    // Writes the user info file named by "User Info Filename" into folder; false when it
    // cannot be written.
    bool WriteUserInfoFile(CString folder, CString programPath, CString workingFolder, CString downloadSite,
                           CString applicationName, CString installationTime);

    // The description reader of this run (loaded by PrepareSetup).
    CIniParser& Description() { return m_iniParser; }

private:
    void CopyProgramFolder(const CString& workingFolder);
    bool DownloadDescription(const CString& applicationName, const CString& workingFolder);

    CProgressDlg m_progressDlg;
    CIniParser m_iniParser;
    CDownloader m_downloader;
};

// The application name carried in the program's file name: the text between its first and
// second underscore, or "Local" when there are not two of them or they stand side by side.
CString ApplicationNameFrom(const CString& programFileName);

// The text converted to the system's ANSI code page, sized for the whole converted text.
std::string WideToAnsi(CString text);

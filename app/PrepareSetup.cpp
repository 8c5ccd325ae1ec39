// Setup preparation: the description and every listed file into the working folder, from
// the download hosts and sites, or in local mode from the program's own folder.
#include "app/SetupApp.h"

#include "app/Hosts.h"
#include "app/Messages.h"
#include "app/Thresholds.h"
#include "framework/FileFind.h"
#include "fs/FileOps.h"
#include "fs/Paths.h"
#include "fs/RelativePath.h"
#include "transfer/Connection.h"
#include "transfer/Internet.h"

using namespace setup_text;

namespace {

void Warn(const wchar_t* text) { AfxMessageBox(text, MB_OK | MB_ICONWARNING); }

// Sizes are compared and added as signed 32-bit numbers; 0 means not available.
int AnnouncedSize(const CString& url) { return static_cast<int>(GetRemoteFileSize(url)); }

}  // namespace

bool CSetupApp::PrepareSetup(CString applicationName, CString workingFolder, HWND progressWindow,
                             CString& downloadSite) {
    bool localMode = false;
    if (FileExists(kDescriptionFile)) {
        if (!m_iniParser.Load(kDescriptionFile)) {
            Warn(kLocalDescriptionFailed);
            return false;
        }
        localMode = m_iniParser.GetValue(kTagDownloadInitialSetup) == kLocalModeValue;
    }

    // Removes what an earlier run may have left. Where nothing is left, DeleteFolder would
    // only spend its removal retries (about two seconds) on a folder that is not there.
    if (GetFileAttributesW(workingFolder) != INVALID_FILE_ATTRIBUTES) DeleteFolder(workingFolder);
    if (!CreateFolderPath(workingFolder)) {
        Warn(kTempFolderFailed);
        return false;
    }

    if (localMode) {
        CopyProgramFolder(workingFolder);
    } else if (!DownloadDescription(applicationName, workingFolder)) {
        return false;
    }

    if (!m_iniParser.Load(workingFolder + L"\\" + kDescriptionFile)) {
        Warn(kDescriptionFailed);
        return false;
    }

    CString source, destination;
    unsigned total = 0;
    if (m_iniParser.GetFirstFile(source, destination)) {
        if (!IsInternetConnected()) {
            Warn(kNoConnection);
            return false;
        }
        downloadSite = FindDownloadSite();
        if (downloadSite.IsEmpty()) {
            Warn(kSiteNotFound);
            return false;
        }
        do {
            total += static_cast<unsigned>(AnnouncedSize(kScheme + downloadSite + source));
        } while (m_iniParser.GetNextFile(source, destination));
    }
    m_progressDlg.SetProgressRange(static_cast<int>(total));

    if (m_iniParser.GetFirstFile(source, destination)) {
        do {
            CString target = workingFolder + L"\\" + destination;
            // A destination that leads out of the working folder is never written.
            bool contained = IsContainedRelativePath(destination);
            bool arrived = contained && m_downloader.Download(kScheme + downloadSite + source, target, progressWindow);
            if (!arrived && (!contained || !FileExists(target))) {
                Warn(kFileDownloadFailed + destination);
                return false;
            }
        } while (m_iniParser.GetNextFile(source, destination));
    }
    return true;
}

CString CSetupApp::FindDownloadSite() {
    CString source, destination, site;
    m_iniParser.GetFirstFile(source, destination);
    if (!m_iniParser.GetFirstSite(site)) return CString();
    do {
        if (AnnouncedSize(kScheme + site + source) > kSiteMinimumSize) return site;
    } while (m_iniParser.GetNextSite(site));
    return CString();
}

// Copies every file (not the subfolders) of the program's folder into the working folder.
void CSetupApp::CopyProgramFolder(const CString& workingFolder) {
    CString programFolder = GetProgramFolder();
    CFileFind find;
    if (find.FindFile(programFolder + L"*.*")) {
        BOOL more = TRUE;
        while (more) {
            more = find.FindNextFile();
            if (find.MatchesMask(FILE_ATTRIBUTE_DIRECTORY)) continue;
            CopyFileTo(programFolder + find.GetFileName(), workingFolder);
        }
    }
    find.Close();
}

// Fetches SetupInitial.eif from the first download host that holds it.
bool CSetupApp::DownloadDescription(const CString& applicationName, const CString& workingFolder) {
    if (!IsInternetConnected()) {
        Warn(kNoConnection);
        return false;
    }
    CString serverFolder = kDefaultServerFolder + applicationName;
    if (m_iniParser.IsLoaded()) serverFolder = m_iniParser.GetValue(kTagDownloadPath);
    CString tail = serverFolder + L"/" + kDescriptionFile;

    CString host = kPrimaryDownloadHost;
    if (AnnouncedSize(kScheme + host + tail) < kDescriptionMinimumSize) {
        host = kSecondaryDownloadHost;
        if (AnnouncedSize(kScheme + host + tail) < kDescriptionMinimumSize) host.Empty();
    }
    if (host.IsEmpty()) {
        Warn(kSiteNotFound);
        return false;
    }
    if (!m_downloader.Download(kScheme + host + tail, workingFolder + L"\\" + kDescriptionFile, nullptr)) {
        Warn(kDescriptionDownloadFailed);
        return false;
    }
    return true;
}

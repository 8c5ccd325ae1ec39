// Single-file download with retries, backups, error-page detection and progress.
#include "transfer/Downloader.h"

#include "framework/File.h"
#include "fs/Clock.h"
#include "fs/FileOps.h"
#include "fs/Paths.h"
#include "transfer/Connection.h"
#include "transfer/ErrorPage.h"
#include "transfer/Internet.h"
#include "transfer/Progress.h"

namespace {

const wchar_t* const kBackupSuffix = L" Before Download";

constexpr int kAttempts = 4;
constexpr DWORD kRetryPauseMs = 2000;
// After the end of the body, how long a target whose size differs from the announced length
// is given to reach it, and how long to pause between the reads meanwhile.
constexpr DWORD kCompletionWaitMs = 20000;
constexpr DWORD kCompletionPollMs = 50;

// Written as bytes come; nobody else may read or write it meanwhile, but the error-page
// test must be able to delete it while it is open.
constexpr UINT kTargetCreateFlags =
    CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::shareAllowDelete | CFile::typeBinary;
constexpr UINT kTargetAppendFlags =
    CFile::modeWrite | CFile::shareExclusive | CFile::shareAllowDelete | CFile::typeBinary;

enum class AttemptResult { failed, succeeded, writeFailed };

void SendProgress(HWND window, DWORD bytes, ULONGLONG total) {
    if (window) SendMessageW(window, WM_SETUP_PROGRESS, static_cast<WPARAM>(bytes), static_cast<LPARAM>(total));
}

// Writes one read to the target. Data that arrives after a zero-byte read finds the target
// closed by the completion test; it is appended to the file again rather than lost, so a
// body that resumes can still complete. A target that cannot be reopened is a write failure.
bool WriteReceived(CFile& target, const CString& targetPath, const char* bytes, DWORD count) {
    if (!target.IsOpen()) {
        if (!target.Open(targetPath, kTargetAppendFlags)) return false;
        LARGE_INTEGER zero = {};
        if (!SetFilePointerEx(target.Handle(), zero, nullptr, FILE_END)) return false;
    }
    return target.Write(bytes, count);
}

// One attempt on an open target: opens its own session and request, reads the body to its
// end and decides. The target is closed on return; handles close request first.
AttemptResult TransferOnce(const CString& url, const CString& targetPath, const CString& folder,
                           const CString& name, CFile& target, HWND progressWindow) {
    CInternetHandle session(OpenInternetSession());
    if (!session) {
        target.Close();
        return AttemptResult::failed;
    }
    CInternetHandle request(OpenInternetUrl(session.Get(), url));
    if (!request) {
        session.Close();
        target.Close();
        return AttemptResult::failed;
    }

    const DWORD announced = GetContentLength(request.Get());
    ULONGLONG total = 0;
    DWORD waitStart = 0;
    char buffer[kReadBufferSize] = {};
    AttemptResult result = AttemptResult::failed;
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.Get(), buffer, kReadBufferSize, &got)) break;
        if (got == 0) {
            // Completion test: the file on disk must reach the announced length.
            if (target.IsOpen()) target.Close();
            CFileStatus status;
            if (!CFile::GetStatus(targetPath, status)) break;  // deleted as an error page
            if (static_cast<DWORD>(status.m_size) == announced) {
                result = AttemptResult::succeeded;
                break;
            }
            if (waitStart == 0) {
                waitStart = g_clock.tickCount();
            } else if (CDownloader::GetElapsedTicks(waitStart) > kCompletionWaitMs) {
                break;
            }
            // Polling for 20 seconds without a pause would keep a processor busy throughout.
            g_clock.sleep(kCompletionPollMs);
            continue;
        }
        total += got;
        waitStart = 0;
        DWORD count = got;
        if (total <= kReadBufferSize && IsErrorPage(buffer)) {
            count = 0;  // neither written nor reported
            DeleteFileIn(folder, name);
        }
        if (count > 0) {
            bool written = WriteReceived(target, targetPath, buffer, count);
            SendProgress(progressWindow, count, total);
            if (!written) {
                result = AttemptResult::writeFailed;
                break;
            }
        }
    }
    SendProgress(progressWindow, 0, total);
    request.Close();
    session.Close();
    target.Close();
    return result;
}

}  // namespace

CDownloader::~CDownloader() = default;

bool CDownloader::Download(CString url, CString targetPath, HWND progressWindow) {
    if (!IsInternetConnected()) return false;
    return DownloadFile(url, targetPath, progressWindow);
}

bool CDownloader::DownloadFile(CString url, CString targetPath, HWND progressWindow) {
    CFile target;
    int attemptsLeft = kAttempts;
    while (attemptsLeft > 0) {
        bool targetExisted = false;
        CString folder, name;
        SplitPath(targetPath, folder, name);
        folder = RemoveTrailingBackslash(folder);
        const CString backupName = name + kBackupSuffix;

        // Set an existing target aside, unless an older backup already holds that place:
        // then the target is simply overwritten and the older backup kept.
        if (FileExists(targetPath)) {
            targetExisted = true;
            if (!FileExists(targetPath + kBackupSuffix)) RenameFileIn(folder, name, backupName);
        }

        AttemptResult result = AttemptResult::failed;
        if (target.Open(targetPath, kTargetCreateFlags))
            result = TransferOnce(url, targetPath, folder, name, target, progressWindow);
        if (result == AttemptResult::succeeded) return true;
        if (result == AttemptResult::writeFailed) attemptsLeft = 0;  // retrying cannot help

        // A failed attempt leaves things as they were before it: no target, or the backup
        // back under the target's name.
        DeleteFileIn(folder, name);
        if (targetExisted) RenameFileIn(folder, backupName, name);
        g_clock.sleep(kRetryPauseMs);
        --attemptsLeft;
    }
    return false;
}

DWORD CDownloader::GetElapsedTicks(DWORD start) { return g_clock.tickCount() - start; }

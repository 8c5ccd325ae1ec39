// CDownloader: fetches one URL into one local file, with retries, a backup of the file it
// replaces, rejection of "404" error pages and progress messages to a window.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CDownloader {
public:
    CDownloader() = default;
    virtual ~CDownloader();

    // Returns false at once, touching nothing, when the system reports no Internet connection;
    // otherwise the result of DownloadFile. progressWindow may be null (no messages).
    bool Download(CString url, CString targetPath, HWND progressWindow);

    // Up to four attempts with a 2-second pause after each failed one; true when an attempt
    // left the target with exactly the announced Content-Length. A write failure ends all
    // attempts. An existing target is kept as "<name> Before Download" beside it and put back
    // when an attempt fails; no backup is ever deleted. Shows nothing to the user.
    bool DownloadFile(CString url, CString targetPath, HWND progressWindow);

    // The text between the only "<TAG>" and the only "</TAG>" of text, both upper-cased
    // (so any case matches); empty when either mark is missing or repeated, or when the
    // closing mark begins before the opening one ends.
    static CString GetTextBetweenTags(CString text, CString tag);

    // Milliseconds of the tick counter since start, modulo 2^32 (a wrap-around is harmless).
    static DWORD GetElapsedTicks(DWORD start);
};

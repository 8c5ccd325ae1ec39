// Shows the progress window as start-up does, part way through a download, for a few
// seconds with a message loop so that a screenshot can be taken (scripts/screenshot-progress).
// usage: progress_preview.exe RECT_FILE   writes "width height x y" of the window there.
#include <windows.h>

#include <cstdio>

#include "transfer/Progress.h"
#include "ui/ProgressDlg.h"

namespace {
const DWORD kShowMilliseconds = 6000;
const int kTotalBytes = 1000000;
const int kBytesShown = 420000;
const int kBytesPerMessage = 16384;
}  // namespace

int wmain(int argc, wchar_t** argv) {
    CProgressDlg dlg;
    dlg.Create();
    dlg.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    dlg.Invalidate(TRUE);
    dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    dlg.SetProgressRange(kTotalBytes);
    for (int sent = 0; sent < kBytesShown; sent += kBytesPerMessage) {
        SendMessageW(dlg.m_hWnd, WM_SETUP_PROGRESS, kBytesPerMessage, sent);
    }

    RECT r = {};
    GetWindowRect(dlg.m_hWnd, &r);
    if (argc > 1) {
        FILE* out = _wfopen(argv[1], L"w");
        if (out) {
            std::fprintf(out, "%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
            std::fclose(out);
        }
    }

    DWORD end = GetTickCount() + kShowMilliseconds;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
    return 0;
}

// Where the bootstrapper's time goes, call by call: times the pieces of work that one read,
// one file or the start adds on top of the network floor, each repeated many times in the
// real progress window (resources and CProgressDlg of Setup.exe) and against the bench's
// web server.
//
//   bench_call_costs.exe URL OUT_FILE
//
// OUT_FILE receives one line per piece: name, microseconds per call.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <functional>

#include "framework/File.h"
#include "fs/FileOps.h"
#include "transfer/Connection.h"
#include "transfer/Internet.h"
#include "transfer/Progress.h"
#include "ui/ProgressDlg.h"

namespace {

FILE* g_out = nullptr;

void Time(const char* name, int count, const std::function<void()>& call) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < count; ++i) call();
    QueryPerformanceCounter(&end);
    double us = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    fprintf(g_out, "%s %.1f\n", name, us / count);
    fflush(g_out);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    g_out = _wfopen(argv[2], L"w");
    if (!g_out) return 2;
    const wchar_t* url = argv[1];

    Time("start.progress_window_create", 1, [] {
        static CProgressDlg first;
        first.Create(IDD_PROGRESS, nullptr);
    });
    CProgressDlg window;
    window.Create(IDD_PROGRESS, nullptr);
    window.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    window.SetProgressRange(100000000);
    HWND dialog = window.GetSafeHwnd();
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
    int position = 1;

    Time("read.progress_message", 3000, [&] { SendMessageW(dialog, WM_SETUP_PROGRESS, 1024, 0); });
    const UINT repaint = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
    Time("read.variant_setpos_redraw", 3000, [&] {
        SendMessageW(bar, PBM_SETPOS, position += 1024, 0);
        RedrawWindow(bar, nullptr, nullptr, repaint);
    });
    Time("read.variant_quiet_setpos_redraw", 3000, [&] {
        SendMessageW(bar, WM_SETREDRAW, FALSE, 0);
        SendMessageW(bar, PBM_SETPOS, position += 1024, 0);
        SendMessageW(bar, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(bar, nullptr, nullptr, repaint);
    });
    Time("read.bar_setredraw_pair", 3000, [&] {
        SendMessageW(bar, WM_SETREDRAW, FALSE, 0);
        SendMessageW(bar, WM_SETREDRAW, TRUE, 0);
    });
    Time("read.bar_getpos", 3000, [&] { SendMessageW(bar, PBM_GETPOS, 0, 0); });
    Time("read.bar_setpos", 3000, [&] { SendMessageW(bar, PBM_SETPOS, position += 1024, 0); });
    Time("read.bar_invalidate", 3000, [&] { InvalidateRect(bar, nullptr, TRUE); });
    Time("read.bar_redraw", 3000,
         [&] { RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); });
    Time("read.bar_invalidate_and_redraw", 3000, [&] {
        InvalidateRect(bar, nullptr, TRUE);
        RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    });

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    CString target = CString(folder) + L"bench_call_costs.bin";
    CFile file;
    file.Open(target, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary);
    char block[1024] = {};
    Time("read.file_write_1024", 20000, [&] { file.Write(block, sizeof block); });
    file.Close();
    DeleteFileW(target);

    Time("file.file_exists", 2000, [&] { FileExists(target); });
    Time("file.connected_state", 200, [] { IsInternetConnected(); });
    Time("file.session_open_close", 200, [] {
        HINTERNET session = OpenInternetSession();
        InternetCloseHandle(session);
    });
    Time("file.size_probe", 200, [&] { GetRemoteFileSize(url); });
    window.DestroyWindow();
    fclose(g_out);
    return 0;
}

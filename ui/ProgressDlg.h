// CProgressDlg: the bootstrapper's one window, a modeless popup from dialog template 138
// showing the banner above a progress bar that counts the downloaded bytes.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"
#include "ui/resource.h"

class CProgressDlg : public CDialog {
public:
    CProgressDlg();
    ~CProgressDlg() override;

    // Creates the window modeless from its template (the progress bar's window class is
    // registered first). OnInitDialog has run when this returns.
    BOOL Create(UINT templateId = IDD_PROGRESS, CWnd* parent = nullptr);

    // Sets the bar's range to 0..total; the position stays, clamped by the control.
    void SetProgressRange(int total);

    // Registers the common control classes the template uses (the progress bar).
    static void InitControls();

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    // WM_SETUP_PROGRESS: advances the bar by wParam bytes and repaints it at once.
    // lParam (the attempt's running total) is not used. Returns 0.
    LRESULT OnProgress(WPARAM wParam, LPARAM lParam);

    // Decodes the JPEG resource `id` of type ImageJPG from this program and returns a copy
    // scaled to width x height pixels, or nullptr when any step fails.
    static HBITMAP LoadJpegBanner(UINT id, int width, int height);

    // Makes `window` the foreground window with the keyboard focus, borrowing the input
    // state of the thread that owns the current foreground window.
    static void BringToForeground(HWND window);

    int m_total = 0;
    CProgressCtrl m_progress;
    CStatic m_banner;
};

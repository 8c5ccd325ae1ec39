// Test helper: a progress window created for one test and destroyed with it, with the
// bar's state read back through the control's own messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/String.h"
#include "ui/ProgressDlg.h"

class ProgressWindow : public CProgressDlg {
public:
    ProgressWindow() { Create(); }

    HWND Bar() const { return GetDlgItem(IDC_PROGRESS); }
    int Position() const { return static_cast<int>(::SendMessageW(Bar(), PBM_GETPOS, 0, 0)); }
    int RangeLow() const { return static_cast<int>(::SendMessageW(Bar(), PBM_GETRANGE, TRUE, 0)); }
    int RangeHigh() const { return static_cast<int>(::SendMessageW(Bar(), PBM_GETRANGE, FALSE, 0)); }
    // The bitmap that the banner control shows, or nullptr.
    HBITMAP Banner() const {
        return reinterpret_cast<HBITMAP>(::SendMessageW(GetDlgItem(IDC_BANNER), STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    SIZE WindowSize(int id) const {
        RECT r = {};
        ::GetWindowRect(GetDlgItem(id), &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
};

// The progress bar of the progress window: its start state, the range, and progress
// messages that advance it and repaint it at once (no message loop runs meanwhile).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "tests/ui/ProgressWindow.h"
#include "transfer/Progress.h"

namespace {

// Counts the WM_PAINT messages the bar receives.
LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_PAINT) ++*reinterpret_cast<int*>(data);
    return DefSubclassProc(window, message, wParam, lParam);
}

constexpr UINT_PTR kPaintCounterId = 1;

}  // namespace

TEST(ProgressBar, StartsAtOneOfZeroToHundred) {
    ProgressWindow dlg;
    EXPECT_EQ(dlg.RangeLow(), 0);
    EXPECT_EQ(dlg.RangeHigh(), 100);
    EXPECT_EQ(dlg.Position(), 1);
}

TEST(ProgressBar, SetProgressRangeKeepsThePosition) {
    ProgressWindow dlg;
    dlg.SetProgressRange(5000000);
    EXPECT_EQ(dlg.RangeLow(), 0);
    EXPECT_EQ(dlg.RangeHigh(), 5000000);
    EXPECT_EQ(dlg.Position(), 1);
}

TEST(ProgressBar, MessagesAdvanceAndRepaintTheBar) {
    struct Case {
        const char* what;
        int total;  // -1: SetProgressRange is not called
        std::vector<WPARAM> bytes;
        LPARAM lParam;
        std::vector<int> positions;  // after each message
    } cases[] = {
        {"bytes add up", 5000000, {1024, 1024, 0}, 0, {1025, 2049, 2049}},
        {"lParam is not used", 5000000, {1024, 1024, 0}, 0x7FFFFFFF, {1025, 2049, 2049}},
        {"negative lParam is not used", 5000000, {1024, 1024, 0}, -1, {1025, 2049, 2049}},
        {"beyond the total the bar stays full", 3000, {2000, 2000, 0}, 0, {2001, 3000, 3000}},
        {"a total of 0 pins the bar at 0", 0, {1024, 0}, 0, {0, 0}},
        {"before a range is set the bar stops at 100", -1, {60, 60}, 0, {61, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgressWindow dlg;
        if (c.total >= 0) dlg.SetProgressRange(c.total);
        int paints = 0;
        ASSERT_TRUE(SetWindowSubclass(dlg.Bar(), CountPaints, kPaintCounterId, reinterpret_cast<DWORD_PTR>(&paints)));
        for (size_t i = 0; i < c.bytes.size(); ++i) {
            int before = paints;
            LRESULT result = SendMessageW(dlg.m_hWnd, WM_SETUP_PROGRESS, c.bytes[i], c.lParam);
            EXPECT_EQ(result, 0);
            EXPECT_EQ(dlg.Position(), c.positions[i]) << "after message " << i;
            EXPECT_GT(paints, before) << "bar not painted by message " << i;
            EXPECT_FALSE(GetUpdateRect(dlg.Bar(), nullptr, FALSE)) << "bar left unpainted by message " << i;
        }
        RemoveWindowSubclass(dlg.Bar(), CountPaints, kPaintCounterId);
    }
}

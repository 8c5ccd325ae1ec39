// The progress window built with the banner resource: title, and a banner scaled to the
// pixel size of the banner area.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/ui/ProgressWindow.h"

using testing_support::Narrow;

TEST(Banner, TitleNamesThePublisher) {
    ProgressWindow dlg;
    ASSERT_NE(dlg.m_hWnd, nullptr);
    EXPECT_EQ(Narrow(dlg.GetWindowText()), "Quillmoor's Projects");
}

TEST(Banner, BitmapHasThePixelSizeOfTheBannerArea) {
    ProgressWindow dlg;
    HBITMAP banner = dlg.Banner();
    ASSERT_NE(banner, nullptr);
    BITMAP info = {};
    ASSERT_EQ(GetObjectW(banner, sizeof(info), &info), static_cast<int>(sizeof(info)));
    SIZE area = dlg.WindowSize(IDC_BANNER_AREA);
    EXPECT_EQ(info.bmWidth, area.cx);
    EXPECT_EQ(info.bmHeight, area.cy);
    // The area is given in dialog units, so this is a real scaling, not the source size.
    EXPECT_FALSE(area.cx == 550 && area.cy == 300);
    // The picture control takes the size of its bitmap.
    SIZE shown = dlg.WindowSize(IDC_BANNER);
    EXPECT_EQ(shown.cx, area.cx);
    EXPECT_EQ(shown.cy, area.cy);
}

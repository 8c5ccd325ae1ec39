// The progress window built without a usable banner (none at all, or one that is no
// picture): it says so in its title and shows no picture.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/ui/ProgressWindow.h"

using testing_support::Narrow;

TEST(NoBanner, TitleReportsTheProblemAndNoPictureIsShown) {
    ProgressWindow dlg;
    ASSERT_NE(dlg.m_hWnd, nullptr);
    EXPECT_EQ(Narrow(dlg.GetWindowText()), "Quillmoor's Projects: problem");
    EXPECT_EQ(dlg.Banner(), nullptr);
}

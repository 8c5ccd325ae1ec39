// The application name carried in the program's file name.
#include <gtest/gtest.h>

#include "app/SetupApp.h"
#include "tests/support/TestSupport.h"

TEST(ApplicationName, IsTheTextBetweenTheFirstTwoUnderscores) {
    struct Case {
        const wchar_t* fileName;
        const wchar_t* name;
    } cases[] = {
        {L"Setup_Organizer_1.exe", L"Organizer"},
        {L"Setup_My Tools_2.exe", L"My Tools"},
        {L"Setup_a_b_c.exe", L"a"},
        {L"_X_", L"X"},
        {L"Setup_Organizer.exe", L"Local"},  // one underscore
        {L"Setup__1.exe", L"Local"},         // adjacent underscores
        {L"Setup.exe", L"Local"},
        {L"", L"Local"},                     // no long program path
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplicationNameFrom(c.fileName), CString(c.name)) << testing_support::Narrow(c.fileName);
}

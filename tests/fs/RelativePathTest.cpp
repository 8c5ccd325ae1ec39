// Which description paths stay inside the working folder.
#include <gtest/gtest.h>

#include "fs/RelativePath.h"
#include "tests/support/TestSupport.h"

TEST(RelativePath, AcceptsOnlyPathsThatStayInside) {
    struct Case {
        const wchar_t* path;
        bool contained;
    } cases[] = {
        {L"Readme.txt", true},
        {L"Data\\Readme.txt", true},
        {L"Data/Readme.txt", true},
        {L".\\Readme.txt", true},
        {L"Setup.exe Before Download", true},
        {L"..readme", true},
        {L"console.txt", true},
        {L"COM10", true},
        {L"", false},
        {L"..", false},
        {L"..\\evil.txt", false},
        {L"Data\\..\\..\\evil.txt", false},
        {L"Data/../../evil.txt", false},
        {L"... \\x", false},
        {L"\\Windows\\evil.txt", false},
        {L"\\\\server\\share\\evil.txt", false},
        {L"C:\\evil.txt", false},
        {L"C:evil.txt", false},
        {L"Readme.txt:stream", false},
        {L"CON", false},
        {L"nul.txt", false},
        {L"Data\\COM1", false},
        {L"lpt9.log", false},
        {L"COM0", false},
        {L"com\u00B9", false},
        {L"LPT\u00B3.txt", false},
        {L"COM\u2074", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsContainedRelativePath(c.path), c.contained) << testing_support::Narrow(c.path);
}

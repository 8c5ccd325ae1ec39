// The user info file, byte for byte, on real files.
#include <gtest/gtest.h>

#include "app/SetupApp.h"
#include "fs/Paths.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;

namespace {

class UserInfoFile : public ::testing::Test {
protected:
    // Loads a plain description holding the given "User Info Filename" section (or none).
    void LoadDescription(const char* userInfoSection) {
        std::string text = "[Program to run]\nFinalSetup.exe\n";
        if (userInfoSection) text += std::string("[User Info Filename]\n") + userInfoSection + "\n";
        text += "[End]\nEnd\n";
        ASSERT_TRUE(WriteBytes(dir / L"description.ini", text));
        ASSERT_TRUE(app.Description().Load(dir / L"description.ini"));
    }

    bool Write(const CString& folder) {
        return app.WriteUserInfoFile(folder, L"C:\\Downloads\\Setup_Organizer_1.exe", L"C:\\Temp\\OrganizerSetup",
                                     L"", L"Organizer", L"05-03-2012 14:07:09");
    }

    static std::string Expected() {
        std::string text = "// User specific info.\n\n";
        std::pair<const char*, std::string> blocks[] = {
            {"[Initial Setup Pathname]", "C:\\Downloads\\Setup_Organizer_1.exe"},
            {"[Setup Temp Folder]", "C:\\Temp\\OrganizerSetup"},
            {"[Download Site]", ""},
            {"[Start Menu Folder]", GetStartMenuFolder().ToAnsi()},
            {"[Desktop Folder]", GetDesktopFolder().ToAnsi()},
            {"[My Documents Folder]", GetMyDocumentsFolder().ToAnsi()},
            {"[Application Name]", "Organizer"},
            {"[Installed on GM Time]", "05-03-2012 14:07:09"},
        };
        for (const auto& block : blocks) text += std::string(block.first) + "\n" + block.second + "\n\n";
        return text + "[End]\nEnd\n";
    }

    ScratchFolder dir;
    CSetupApp app;
};

}  // namespace

TEST_F(UserInfoFile, HoldsTwentyEightLfLinesInOrder) {
    LoadDescription("UserInfo.txt");
    ASSERT_TRUE(Write(dir.Path()));
    std::string bytes = ReadBytes(dir / L"UserInfo.txt");
    EXPECT_EQ(bytes, Expected());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 28);
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
}

TEST_F(UserInfoFile, ReplacesAnOldFileAndJoinsTheFolderOnce) {
    LoadDescription("UserInfo.txt");
    ASSERT_TRUE(WriteBytes(dir / L"UserInfo.txt", std::string(5000, 'x')));
    ASSERT_TRUE(Write(dir.Path() + L"\\"));
    EXPECT_EQ(ReadBytes(dir / L"UserInfo.txt"), Expected());
}

TEST_F(UserInfoFile, LongValuesAreNeverCutOff) {
    LoadDescription("UserInfo.txt");
    CString longPath = L"C:\\" + CString(L'p', 4000);
    ASSERT_TRUE(app.WriteUserInfoFile(dir.Path(), longPath, L"w", L"s", L"a", L"t"));
    std::string bytes = ReadBytes(dir / L"UserInfo.txt");
    EXPECT_NE(bytes.find(std::string(4000, 'p')), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 10), "[End]\nEnd\n");
}

TEST_F(UserInfoFile, CharactersOutsideTheCodePageBecomeItsDefaultCharacter) {
    LoadDescription("UserInfo.txt");
    ASSERT_TRUE(app.WriteUserInfoFile(dir.Path(), L"C:\\\u65e5\u672c\\Caf\u00e9.exe", L"w", L"s", L"a", L"t"));
    std::string bytes = ReadBytes(dir / L"UserInfo.txt");
    EXPECT_NE(bytes.find("C:\\??\\Caf\xe9.exe\n"), std::string::npos);
}

TEST_F(UserInfoFile, FailsWithoutAUsableName) {
    struct Case {
        const char* section;  // nullptr: no such tag
        size_t warnings;
    } cases[] = {
        {nullptr, 1},               // the reader warns, the name is empty
        {"..\\UserInfo.txt", 0},    // would leave the working folder
        {"C:\\UserInfo.txt", 0},
        {"Missing\\UserInfo.txt", 0},  // a folder that does not exist
        {"CON", 0},
    };
    for (const Case& c : cases) {
        LoadDescription(c.section);
        MessageBoxRecorder boxes;
        EXPECT_FALSE(Write(dir.Path())) << (c.section ? c.section : "(none)");
        EXPECT_EQ(boxes.Boxes().size(), c.warnings);
    }
    EXPECT_EQ(Attributes(dir.Path().Left(dir.Path().ReverseFind(L'\\')) + L"\\UserInfo.txt"), INVALID_FILE_ATTRIBUTES);
}

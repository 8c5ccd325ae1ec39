// Setup preparation without a network: local mode, and the connection test.
#include <gtest/gtest.h>

#include "app/SetupApp.h"
#include "fs/FileOps.h"
#include "fs/Paths.h"
#include "tests/description/DescriptionTestSupport.h"
#include "transfer/Connection.h"

using namespace testing_support;

namespace {

bool NotConnected() { return false; }

class PrepareSetupTest : public ::testing::Test {
protected:
    PrepareSetupTest() : savedProbe(g_connectedStateProbe) {
        GetCurrentDirectoryW(MAX_PATH, savedFolder);
        SetProgramFolder(dir / L"Setup_Tester_1.exe");
        SetCurrentDirectoryW(GetProgramFolder());
    }
    ~PrepareSetupTest() override {
        g_connectedStateProbe = savedProbe;
        SetCurrentDirectoryW(savedFolder);
    }

    void PutLocalDescription(const std::string& text) {
        ASSERT_TRUE(WriteBytes(dir / L"SetupInitial.eif",
                               description_testing::Container(description_testing::AnsiStored(
                                   std::wstring(text.begin(), text.end())))));
    }

    bool Prepare() { return app.PrepareSetup(L"Tester", working, nullptr, site); }

    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const RecordedBox& box : boxes.Boxes()) texts.push_back(box.text.str());
        return texts;
    }

    ScratchFolder dir;
    CString working = dir / L"Temp\\Quillmoor's Projects\\TesterSetup";
    CString site = L"untouched";
    CSetupApp app;
    MessageBoxRecorder boxes;
    bool (*savedProbe)();
    wchar_t savedFolder[MAX_PATH];
};

const char kLocalNoFiles[] =
    "[Download Initial Setup]\nNo\n[Files to download]\n\n[Download Sites]\nnowhere.invalid\n"
    "[User Info Filename]\nUserInfo.txt\n[Program to run]\nFinal.exe\n[End]\nEnd\n";

}  // namespace

TEST_F(PrepareSetupTest, LocalModeWithoutListedFilesNeedsNoNetwork) {
    g_connectedStateProbe = &NotConnected;  // any network use would fail the run
    PutLocalDescription(kLocalNoFiles);
    ASSERT_TRUE(WriteBytes(dir / L"Final.exe", "stub"));
    CreateDirectoryW(dir / L"Subfolder", nullptr);
    ASSERT_TRUE(WriteBytes(dir / L"Subfolder\\inner.txt", "x"));

    EXPECT_TRUE(Prepare());
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(site, CString(L"untouched"));  // no file listed: the site is not written
    EXPECT_EQ(ReadBytes(working + L"\\Final.exe"), "stub");
    EXPECT_EQ(ReadBytes(working + L"\\SetupInitial.eif"), ReadBytes(dir / L"SetupInitial.eif"));
    EXPECT_FALSE(IsFolder(working + L"\\Subfolder"));  // subfolders are not copied
    EXPECT_EQ(app.Description().GetValue(L"Program to run"), CString(L"Final.exe"));
}

TEST_F(PrepareSetupTest, StartsFromAnEmptyWorkingFolder) {
    g_connectedStateProbe = &NotConnected;
    PutLocalDescription(kLocalNoFiles);
    ASSERT_TRUE(CreateFolderPath(working));
    ASSERT_TRUE(WriteBytes(working + L"\\left over.txt", "old"));
    SetFileAttributesW(working + L"\\left over.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Prepare());
    EXPECT_EQ(Attributes(working + L"\\left over.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PrepareSetupTest, FailuresBeforeTheNetworkShowTheirMessage) {
    struct Case {
        const char* local;  // nullptr: no description beside the program
        const wchar_t* message;
    } cases[] = {
        {nullptr, L"Error: No Internet connection."},
        {"[Download Initial Setup]\nNo\n[Files to download]\na -> b\n[End]\nEnd\n", L"Error: No Internet connection."},
        {"[Download Initial Setup]\nNo\n", L"Error opening the local initial setup eif."},
    };
    g_connectedStateProbe = &NotConnected;
    for (const Case& c : cases) {
        DeleteFileW(dir / L"SetupInitial.eif");
        if (c.local) PutLocalDescription(c.local);
        CSetupApp fresh;
        boxes.Clear();
        EXPECT_FALSE(fresh.PrepareSetup(L"Tester", working, nullptr, site)) << Narrow(c.message);
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes().back().text, CString(c.message));
        EXPECT_EQ(boxes.Boxes().back().type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    }
}

// File and folder operations on real files under Wine.
#include <gtest/gtest.h>

#include "fs/Clock.h"
#include "fs/FileOps.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;

namespace {

// Counts the pauses instead of waiting them out.
struct FakeClock {
    static std::vector<DWORD>& Sleeps() {
        static std::vector<DWORD> sleeps;
        return sleeps;
    }
    static void Sleep(DWORD ms) { Sleeps().push_back(ms); }
    FakeClock() : saved(g_clock) {
        Sleeps().clear();
        g_clock.sleep = &FakeClock::Sleep;
    }
    ~FakeClock() { g_clock = saved; }
    Clock saved;
};

// A handle that holds a file open without sharing, as another program would.
struct Holder {
    explicit Holder(const CString& path)
        : handle(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~Holder() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE handle;
};

}  // namespace

TEST(FileExists, FilesFoldersPatternsAndRelativeNames) {
    ScratchFolder dir;
    ASSERT_TRUE(WriteBytes(dir / L"a.txt", "a"));
    EXPECT_TRUE(FileExists(dir / L"a.txt"));
    EXPECT_TRUE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir / L"missing.txt"));
    EXPECT_TRUE(FileExists(dir / L"*.txt"));
    EXPECT_FALSE(FileExists(dir / L"*.bin"));
    EXPECT_FALSE(FileExists(L"Q:\\nowhere\\a.txt"));  // a drive that is not there

    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(dir.Path());
    EXPECT_TRUE(FileExists(L"a.txt"));
    EXPECT_FALSE(FileExists(L"b.txt"));
    SetCurrentDirectoryW(saved);
}

TEST(DeleteFileIn, MissingFilesCountAsDeleted) {
    ScratchFolder dir;
    EXPECT_TRUE(DeleteFileIn(dir.Path(), L"never.txt"));
    EXPECT_TRUE(DeleteFileIn(dir / L"no-such-folder", L"never.txt"));
}

TEST(DeleteFileIn, ClearsReadOnlyAndJoinsOnce) {
    ScratchFolder dir;
    for (const CString& folder : {dir.Path(), dir.Path() + L"\\"}) {
        CString path = dir / L"ro.txt";
        ASSERT_TRUE(WriteBytes(path, "x"));
        SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY);
        EXPECT_TRUE(DeleteFileIn(folder, L"ro.txt"));
        EXPECT_EQ(Attributes(path), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(DeleteFileIn, FailsOnAFileHeldOpenWithoutSharing) {
    ScratchFolder dir;
    ASSERT_TRUE(WriteBytes(dir / L"held.txt", "x"));
    Holder holder(dir / L"held.txt");
    ASSERT_NE(holder.handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileIn(dir.Path(), L"held.txt"));
}

TEST(RenameFileIn, RenamesReadOnlyFilesAndRefusesATakenName) {
    ScratchFolder dir;
    ASSERT_TRUE(WriteBytes(dir / L"a.txt", "A"));
    SetFileAttributesW(dir / L"a.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(RenameFileIn(dir.Path() + L"\\", L"a.txt", L"a.txt Before Download"));
    EXPECT_EQ(ReadBytes(dir / L"a.txt Before Download"), "A");
    EXPECT_EQ(Attributes(dir / L"a.txt Before Download") & FILE_ATTRIBUTE_READONLY, 0u);

    ASSERT_TRUE(WriteBytes(dir / L"b.txt", "B"));
    EXPECT_FALSE(RenameFileIn(dir.Path(), L"b.txt", L"a.txt Before Download"));
    EXPECT_EQ(ReadBytes(dir / L"b.txt"), "B");
    EXPECT_EQ(ReadBytes(dir / L"a.txt Before Download"), "A");
}

TEST(CreateFolderPath, CreatesEveryLevel) {
    ScratchFolder dir;
    EXPECT_TRUE(CreateFolderPath(dir / L"New\\Deeper"));
    EXPECT_TRUE(IsFolder(dir / L"New\\Deeper"));
    EXPECT_TRUE(CreateFolderPath(dir / L"New\\Deeper"));     // everything exists already
    EXPECT_TRUE(CreateFolderPath(dir / L"Trail\\"));         // a trailing backslash is harmless
    EXPECT_TRUE(IsFolder(dir / L"Trail"));
    EXPECT_TRUE(CreateFolderPath(L"no-backslash-at-all"));  // nothing is created
    EXPECT_EQ(Attributes(L"no-backslash-at-all"), INVALID_FILE_ATTRIBUTES);
}

TEST(CreateFolderPath, StopsAtALevelThatIsAFile) {
    ScratchFolder dir;
    ASSERT_TRUE(WriteBytes(dir / L"File", "x"));
    EXPECT_FALSE(CreateFolderPath(dir / L"File\\Deeper"));
    EXPECT_FALSE(IsFolder(dir / L"File\\Deeper"));
    // The last level taken by a file is no folder either.
    EXPECT_FALSE(CreateFolderPath(dir / L"File"));
}

TEST(CreateFolderPath, LeadingBackslashPathsStepOverTheirFirstPart) {
    // \a with nothing after it leads to an attempt on an empty name.
    EXPECT_FALSE(CreateFolderPath(L"\\onlyone"));
    // \\server\share\dir starts with \\server\share, which cannot be created.
    EXPECT_FALSE(CreateFolderPath(L"\\\\noserver.invalid\\share\\dir"));

    // \a\b\c on the current drive: \a is never attempted, so it must exist already.
    ScratchFolder dir;
    CString noDrive = dir.Path().Mid(2);  // the scratch folder without its drive letter
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(dir.Path().Left(3));
    EXPECT_TRUE(CreateFolderPath(noDrive + L"\\x\\y"));
    EXPECT_TRUE(IsFolder(dir / L"x\\y"));
    SetCurrentDirectoryW(saved);
}

TEST(CopyFileTo, CopiesUnderItsOwnNameOverAReadOnlyTarget) {
    ScratchFolder src, dst;
    ASSERT_TRUE(WriteBytes(src / L"a.txt", "new"));
    ASSERT_TRUE(WriteBytes(dst / L"a.txt", "old"));
    SetFileAttributesW(dst / L"a.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(CopyFileTo(src / L"a.txt", dst.Path()));
    EXPECT_EQ(ReadBytes(dst / L"a.txt"), "new");
    EXPECT_FALSE(CopyFileTo(src / L"missing.txt", dst.Path()));
}

TEST(DeleteFolder, RemovesFilesButNotSubfolders) {
    FakeClock clock;
    ScratchFolder dir;
    CString work = dir / L"work";
    CreateDirectoryW(work, nullptr);
    for (const wchar_t* name : {L"a", L"b", L"c"}) ASSERT_TRUE(WriteBytes(work + L"\\" + name, "x"));
    SetFileAttributesW(work + L"\\b", FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW(work + L"\\sub", nullptr);
    EXPECT_FALSE(DeleteFolder(work));
    EXPECT_TRUE(IsFolder(work + L"\\sub"));
    for (const wchar_t* name : {L"a", L"b", L"c"}) EXPECT_EQ(Attributes(work + L"\\" + name), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FakeClock::Sleeps(), (std::vector<DWORD>{1000, 1000}));

    RemoveDirectoryW(work + L"\\sub");
    FakeClock::Sleeps().clear();
    EXPECT_TRUE(DeleteFolder(work));
    EXPECT_FALSE(IsFolder(work));
    EXPECT_TRUE(FakeClock::Sleeps().empty());
}

TEST(DeleteFolder, KeepsAFileHeldOpenAndFails) {
    FakeClock clock;
    ScratchFolder dir;
    ASSERT_TRUE(WriteBytes(dir / L"held", "x"));
    ASSERT_TRUE(WriteBytes(dir / L"free", "x"));
    Holder holder(dir / L"held");
    EXPECT_FALSE(DeleteFolder(dir.Path()));
    EXPECT_NE(Attributes(dir / L"held"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Attributes(dir / L"free"), INVALID_FILE_ATTRIBUTES);
}

// The real pauses: three removals of a missing folder take about two seconds.
TEST(DeleteFolder, MissingFolderFailsAfterTwoRealPauses) {
    ScratchFolder dir;
    DWORD start = GetTickCount();
    EXPECT_FALSE(DeleteFolder(dir / L"missing"));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LT(elapsed, 4000u);
}

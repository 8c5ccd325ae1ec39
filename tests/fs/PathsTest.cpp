// Program folder, path splitting and special folders.
#include <gtest/gtest.h>

#include "fs/Paths.h"
#include "tests/support/TestSupport.h"

using testing_support::Narrow;

TEST(ProgramFolder, EmptyBeforeItIsSet) { EXPECT_TRUE(GetProgramFolder().IsEmpty()); }

TEST(ProgramFolder, LowerCasesAsciiAndKeepsTheBackslash) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Downloads\\MySetup\\Setup_App_1.exe", L"c:\\downloads\\mysetup\\"},
        {L"Setup.exe", L"\\"},
        {L"D:\\\u00c9T\u00c9\\Setup.exe", L"d:\\\u00c9t\u00c9\\"},  // accented capitals stay capitals
        {L"\\\\Server\\Share\\S.exe", L"\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        SetProgramFolder(c.path);
        EXPECT_EQ(GetProgramFolder(), CString(c.folder)) << Narrow(c.path);
    }
}

TEST(SplitPath, SplitsAtTheLastSeparator) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
    } cases[] = {
        {L"Files/Sub/Readme.txt", L"Files\\Sub\\", L"Readme.txt"},
        {L"Readme.txt", L"", L"Readme.txt"},
        {L"C:\\Work\\", L"C:\\Work\\", L""},
        {L"C:\\Work\\a.txt", L"C:\\Work\\", L"a.txt"},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        CString folder(L"stale"), name(L"stale");
        SplitPath(c.path, folder, name);
        EXPECT_EQ(folder, CString(c.folder)) << Narrow(c.path);
        EXPECT_EQ(name, CString(c.name)) << Narrow(c.path);
    }
}

TEST(SpecialFolders, TrailingBackslashRuleRemovesExactlyOne) {
    EXPECT_EQ(RemoveTrailingBackslash(L"C:\\"), CString(L"C:"));
    EXPECT_EQ(RemoveTrailingBackslash(L"C:\\Temp\\\\"), CString(L"C:\\Temp\\"));
    EXPECT_EQ(RemoveTrailingBackslash(L"C:\\Temp"), CString(L"C:\\Temp"));
    EXPECT_TRUE(RemoveTrailingBackslash(L"").IsEmpty());
}

TEST(SpecialFolders, ComeWithoutTrailingBackslash) {
    CString folders[] = {GetProgramFilesFolder(), GetTempFolder(), GetDesktopFolder(), GetMyDocumentsFolder(),
                         GetStartMenuFolder()};
    for (const CString& f : folders) {
        ASSERT_FALSE(f.IsEmpty());
        EXPECT_NE(f[f.GetLength() - 1], L'\\') << Narrow(f);
        EXPECT_EQ(f[1], L':') << Narrow(f);
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(GetTempFolder() + L"\\", CString(temp));
}

// GetTempPathW reads TMP; a value of 258 characters gives a reported length of 259
// (with the added backslash), one of 259 characters a length of 260.
TEST(SpecialFolders, TempFolderLengthLimit) {
    wchar_t saved[MAX_PATH * 2] = {};
    GetEnvironmentVariableW(L"TMP", saved, MAX_PATH * 2);
    auto withTmpOfLength = [](int length) {
        CString value = L"C:\\" + CString(L'a', length - 3);
        SetEnvironmentVariableW(L"TMP", value);
        return GetTempFolder();
    };
    EXPECT_EQ(withTmpOfLength(258).GetLength(), 258);
    EXPECT_TRUE(withTmpOfLength(259).IsEmpty());
    SetEnvironmentVariableW(L"TMP", saved);
}

TEST(SpecialFolders, StartMenuFolderIsCreatedWhenMissing) {
    CString programs = GetStartMenuFolder();
    ASSERT_FALSE(programs.IsEmpty());
    testing_support::RemoveTree(programs);
    ASSERT_FALSE(testing_support::IsFolder(programs));
    EXPECT_TRUE(GetDesktopFolder().GetLength() > 0);  // reading the others creates nothing new
    EXPECT_FALSE(testing_support::IsFolder(programs));
    EXPECT_EQ(GetStartMenuFolder(), programs);
    EXPECT_TRUE(testing_support::IsFolder(programs));
}

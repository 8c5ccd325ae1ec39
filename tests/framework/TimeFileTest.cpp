// CTime formatting, CFile modes and CFileFind's walk.
#include <gtest/gtest.h>

#include "framework/File.h"
#include "framework/FileFind.h"
#include "framework/Time.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;

TEST(CTime, FormatGmtIsUtc) {
    CTime t(1330956429);  // 2012-03-05 14:07:09 UTC
    EXPECT_EQ(t.FormatGmt(L"%d-%m-%Y %H:%M:%S"), CString(L"05-03-2012 14:07:09"));
    EXPECT_EQ(CTime(0).FormatGmt(L"%d-%m-%Y %H:%M:%S"), CString(L"01-01-1970 00:00:00"));
}

TEST(CFile, CreateWriteReadAndStatus) {
    ScratchFolder dir;
    CString path = dir / L"a.bin";
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        EXPECT_TRUE(file.Write("hello", 5));
    }
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(status.m_size, 5u);
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead));
    EXPECT_EQ(file.GetLength(), 5u);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8), 5u);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_FALSE(CFile::GetStatus(dir / L"missing", status));
}

TEST(CFile, NoShareFlagsMeansNoSharing) {
    ScratchFolder dir;
    CString path = dir / L"locked.txt";
    ASSERT_TRUE(WriteBytes(path, "x"));
    CFile holder;
    ASSERT_TRUE(holder.Open(path, CFile::modeRead));
    CFile second;
    EXPECT_FALSE(second.Open(path, CFile::modeRead));
}

TEST(CFile, AllowDeleteLetsTheOpenFileBeDeleted) {
    ScratchFolder dir;
    CString path = dir / L"target.bin";
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareAllowDelete));
    CFile reader;
    EXPECT_FALSE(reader.Open(path, CFile::modeRead | CFile::shareDenyNone));
    EXPECT_TRUE(DeleteFileW(path));
    EXPECT_TRUE(file.Write("late", 4));
    file.Close();
    CFileStatus status;
    EXPECT_FALSE(CFile::GetStatus(path, status));
}

TEST(CFileFind, VisitsEveryEntryIncludingTheLast) {
    ScratchFolder dir;
    ASSERT_TRUE(WriteBytes(dir / L"one.txt", "1"));
    ASSERT_TRUE(WriteBytes(dir / L"two.txt", "2"));
    CreateDirectoryW(dir / L"sub", nullptr);
    CFileFind find;
    ASSERT_TRUE(find.FindFile(dir.Path() + L"\\*.*"));
    int files = 0, folders = 0;
    BOOL more = TRUE;
    while (more) {
        more = find.FindNextFile();
        if (find.MatchesMask(FILE_ATTRIBUTE_DIRECTORY))
            ++folders;
        else
            ++files;
    }
    find.Close();
    EXPECT_EQ(files, 2);
    EXPECT_EQ(folders, 3);  // ".", ".." and sub
    EXPECT_FALSE(find.FindFile(dir.Path() + L"\\*.none"));
}

// CString operations the bootstrapper relies on.
#include <gtest/gtest.h>

#include "framework/String.h"
#include "tests/support/TestSupport.h"

using testing_support::Narrow;

TEST(CString, FindAndReverseFind) {
    CString s(L"a_b_c");
    EXPECT_EQ(s.Find(L'_'), 1);
    EXPECT_EQ(s.Find(L'_', 2), 3);
    EXPECT_EQ(s.Find(L'_', 4), -1);
    EXPECT_EQ(s.Find(L'_', 99), -1);
    EXPECT_EQ(s.Find(L"b_c"), 2);
    EXPECT_EQ(s.Find(L"", 5), 5);
    EXPECT_EQ(s.ReverseFind(L'_'), 3);
    EXPECT_EQ(CString(L"abc").ReverseFind(L'_'), -1);
}

TEST(CString, SubstringsClampToTheText) {
    CString s(L"Organizer");
    EXPECT_EQ(s.Mid(3), CString(L"anizer"));
    EXPECT_EQ(s.Mid(3, 2), CString(L"an"));
    EXPECT_EQ(s.Mid(8, 10), CString(L"r"));
    EXPECT_TRUE(s.Mid(9).IsEmpty());
    EXPECT_TRUE(s.Mid(20, 3).IsEmpty());
    EXPECT_EQ(s.Left(3), CString(L"Org"));
    EXPECT_EQ(s.Left(99), s);
    EXPECT_EQ(s.Right(3), CString(L"zer"));
    EXPECT_TRUE(s.Right(0).IsEmpty());
}

TEST(CString, TrimRemovesEveryKindOfWhiteSpace) {
    CString s(L" \t\r\n\v\f x y \r\n");
    s.Trim();
    EXPECT_EQ(s, CString(L"x y"));
    CString onlyBlank(L" \r ");
    EXPECT_TRUE(onlyBlank.Trim().IsEmpty());
}

TEST(CString, CaseConversionTouchesOnlyAsciiLetters) {
    CString s(L"aZ\u00e9\u00c9_1");
    CString upper(s);
    upper.MakeUpper();
    EXPECT_EQ(upper, CString(L"AZ\u00e9\u00c9_1"));
    CString lower(s);
    lower.MakeLower();
    EXPECT_EQ(lower, CString(L"az\u00e9\u00c9_1"));
}

TEST(CString, ReplaceInsertDelete) {
    CString s(L"a/b/c");
    EXPECT_EQ(s.Replace(L'/', L'\\'), 2);
    EXPECT_EQ(s, CString(L"a\\b\\c"));
    CString t(L"$x$ and $x$");
    EXPECT_EQ(t.Replace(L"$x$", L"$x$$x$"), 2);  // a replacement that holds the pattern is not rescanned
    EXPECT_EQ(t, CString(L"$x$$x$ and $x$$x$"));
    CString u(L"abcdef");
    u.Delete(1, 2);
    EXPECT_EQ(u, CString(L"adef"));
    u.Delete(3, 10);
    EXPECT_EQ(u, CString(L"ade"));
    u.Insert(1, L"XY");
    EXPECT_EQ(u, CString(L"aXYde"));
    u.Insert(99, L"!");
    EXPECT_EQ(u, CString(L"aXYde!"));
}

TEST(CString, FormatAndAnsiRoundTrip) {
    CString s;
    s.Format(L"<%ls>|%d|%02d", L"TITLE", -5, 7);
    EXPECT_EQ(s, CString(L"<TITLE>|-5|07"));
    CString longText;
    longText.Format(L"%ls", std::wstring(5000, L'x').c_str());
    EXPECT_EQ(longText.GetLength(), 5000);

    CString ansi("Caf\xe9");  // Windows-1252 under the default Wine locale
    EXPECT_EQ(ansi.GetLength(), 4);
    EXPECT_EQ(ansi.ToAnsi(), std::string("Caf\xe9"));
    EXPECT_EQ(CString::FromAnsi("ab\0cd", 5).GetLength(), 5);
}

TEST(CString, ConcatenationAndComparison) {
    CString a(L"http://");
    CString b = a + L"host" + CString(L"/x") + L'!';
    EXPECT_EQ(b, CString(L"http://host/x!"));
    EXPECT_TRUE(b != a);
    EXPECT_EQ(Narrow(b), "http://host/x!");
}

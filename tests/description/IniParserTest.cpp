// The description reader on plain ".ini" files: loading, decoding, comments, variables, the
// End rule, lookups and the two list walks.
#include <gtest/gtest.h>

#include "description/IniParser.h"
#include "fs/Paths.h"
#include "tests/description/DescriptionTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;
using namespace description_testing;

namespace {

const wchar_t kEnd[] = L"\n[End]\nEnd\n";

// A parser over the ANSI form of text, loaded from a scratch folder.
struct Loaded {
    explicit Loaded(const std::wstring& text, const wchar_t* name = L"d.ini") {
        result = LoadBytes(parser, folder, name, AnsiStored(text));
    }
    ScratchFolder folder;
    CIniParser parser;
    bool result = false;
};

std::vector<std::string> Texts(const MessageBoxRecorder& boxes) {
    std::vector<std::string> texts;
    for (const RecordedBox& box : boxes.Boxes()) texts.push_back(Narrow(box.text));
    return texts;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(IniParserLoad, RelativeNamesReadFromTheProgramFolder) {
    MessageBoxRecorder boxes;
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder / L"d.ini", AnsiStored(L"[A]\nx" + std::wstring(kEnd))));
    SetProgramFolder(folder / L"Setup_App_1.exe");
    CIniParser parser;
    EXPECT_TRUE(parser.Load(L"d.ini"));
    EXPECT_EQ(parser.GetValue(L"A"), CString(L"x"));
    EXPECT_TRUE(parser.Load(folder / L"d.ini"));  // a full path: second character ':'
    EXPECT_EQ(folder.Path()[1], L':');
    EXPECT_FALSE(parser.Load(L"\\\\nohost\\share\\d.ini"));  // UNC counts as relative
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(IniParserLoad, OnlyLowerCaseIniIsPlain) {
    MessageBoxRecorder boxes;
    for (const wchar_t* name : {L"x.INI", L"x.Ini", L"x.eif", L"x"}) {
        Loaded d(L"[A]\nx" + std::wstring(kEnd), name);
        EXPECT_FALSE(d.result) << Narrow(name);
        EXPECT_FALSE(d.parser.IsLoaded()) << Narrow(name);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(IniParserLoad, MissingOrEmptyFileKeepsThePreviousText) {
    MessageBoxRecorder boxes;
    Loaded d(L"[A]\nx" + std::wstring(kEnd));
    ASSERT_TRUE(d.result);
    EXPECT_FALSE(d.parser.Load(d.folder / L"missing.ini"));
    EXPECT_FALSE(LoadBytes(d.parser, d.folder, L"empty.ini", ""));
    EXPECT_TRUE(d.parser.IsLoaded());
    EXPECT_EQ(d.parser.GetValue(L"A"), CString(L"x"));
    EXPECT_TRUE(boxes.Boxes().empty());

    CIniParser fresh;
    EXPECT_FALSE(fresh.Load(d.folder / L"missing.ini"));
    EXPECT_FALSE(fresh.IsLoaded());
}

TEST(IniParserLoad, FileHeldOpenElsewhereDoesNotLoad) {
    ScratchFolder folder;
    CString path = folder / L"d.ini";
    ASSERT_TRUE(WriteBytes(path, AnsiStored(L"[A]\nx" + std::wstring(kEnd))));
    HANDLE held = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    CIniParser parser;
    EXPECT_FALSE(parser.Load(path));
    CloseHandle(held);
    EXPECT_TRUE(parser.Load(path));
}

TEST(IniParserDecoding, AnsiAndUtf16FormsLoadToTheSameText) {
    MessageBoxRecorder boxes;
    std::wstring text = L"[Program to run] Setup.exe\r\n[Files to download]\r\na.txt -> Sub\\a.txt\r\n"
                        L"[Info]\r\ncaf\u00e9 \u00c9t\u00e9\r\nsecond\r\n[End]\r\nEnd\r\n";
    if (CString(AnsiStored(text).c_str()) != CString(text.c_str()))
        text = L"[Program to run] Setup.exe\r\n[Info]\r\nplain\r\nsecond\r\n[End]\r\nEnd\r\n";
    ScratchFolder folder;
    CIniParser ansi, utf16;
    ASSERT_TRUE(LoadBytes(ansi, folder, L"ansi.ini", AnsiStored(text)));
    ASSERT_TRUE(LoadBytes(utf16, folder, L"utf16.ini", Utf16Stored(text)));
    std::vector<std::wstring> tags = {L"Program to run", L"Files to download", L"Info", L"End"};
    EXPECT_EQ(Snapshot(ansi, tags), Snapshot(utf16, tags));
    EXPECT_EQ(utf16.GetValue(L"Program to run"), CString(L"Setup.exe"));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(IniParserDecoding, OtherMarksAreOrdinaryCharacters) {
    MessageBoxRecorder boxes;
    ScratchFolder folder;
    CIniParser parser;
    // A UTF-8 mark before the first tag becomes text in front of it: the tag is still found.
    EXPECT_TRUE(LoadBytes(parser, folder, L"bom.ini", "\xEF\xBB\xBF[A]\nx\n[End]\nEnd"));
    EXPECT_EQ(parser.GetValue(L"A"), CString(L"x"));
    // A big-endian mark: the bytes are ANSI, and the zero bytes end the text at once.
    EXPECT_FALSE(LoadBytes(parser, folder, L"be.ini", std::string("\xFE\xFF\0[\0E\0n\0d\0]", 12)));
    EXPECT_EQ(Texts(boxes), Strings({"Tag 'End' not found."}));
}

TEST(IniParserDecoding, TextEndsAtTheFirstNul) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"ansi", std::string("[A]\nx\n\0[End]\nEnd\n", 17)},
        {"utf16", Utf16Stored(std::wstring(L"[A]\nx\n\0[End]\nEnd\n", 17))},
        {"utf16 odd length", Utf16Stored(L"[A]\nx\n[End]\nEnd") + "E"},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        CIniParser parser;
        bool loaded = LoadBytes(parser, folder, L"d.ini", c.bytes);
        if (std::string(c.name) == "utf16 odd length") {
            // A lone last byte is read as a unit whose high byte is the terminator's zero.
            EXPECT_FALSE(loaded);
            EXPECT_EQ(parser.GetValue(L"End"), CString(L"EndE"));
            continue;
        }
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_EQ(parser.GetValue(L"A"), CString(L"x")) << c.name;
        EXPECT_EQ(Texts(boxes), Strings({"Tag 'End' not found."})) << c.name;
        EXPECT_TRUE(parser.IsLoaded()) << c.name;
    }
}

TEST(IniParserLookup, TagsAndLines) {
    MessageBoxRecorder boxes;
    Loaded d(L"head [files TO download]\n\n\n  a.txt -> b.txt\n\nc -> d\n"
             L"[Program to run] Setup.exe\n[Crlf]\r\nx\r\ny\r\n\r\n"
             L"[Dup]\nfirst\n[Dup]\nsecond\n[Site]\nhttp://host/file\n"
             L"[Three]\n1\n2\n3\n[Cut]\nx[1]\ny\n[Empty]" + std::wstring(kEnd));
    ASSERT_TRUE(d.result);
    struct Case {
        const wchar_t* tag;
        int line;
        const wchar_t* value;
    } cases[] = {
        {L"Files to download", 0, L"a.txt -> b.txt"},  // case ignored; blank lines after the tag skipped
        {L"FILES TO DOWNLOAD", 1, L""},                // a blank line inside a section counts
        {L"files to download", 2, L"c -> d"},
        {L"Program to run", 0, L"Setup.exe"},  // text after "]" begins line 0
        {L"Crlf", 0, L"x\r"},                  // earlier lines keep their CR
        {L"Crlf", 1, L"y"},                    // the last line is trimmed
        {L"Dup", 0, L"first"},                 // the first occurrence counts
        {L"Site", 0, L"http:"},                // "//" starts a comment even inside a value
        {L"Three", 2, L"3"},
        {L"Three", 3, L""},  // past the end: empty, no message
        {L"Three", 5, L""},
        {L"Cut", 0, L"x"},  // "[" ends the section
        {L"Cut", 1, L""},
        {L"Empty", 0, L""},
        {L"End", 0, L"End"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(d.parser.GetValue(c.tag, c.line), CString(c.value)) << Narrow(c.tag) << " line " << c.line;
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(IniParserLookup, MissingTagShowsOneWarningPerLookup) {
    Loaded d(L"[Files  to download]\na -> b" + std::wstring(kEnd));
    MessageBoxRecorder boxes;
    EXPECT_TRUE(d.parser.GetValue(L"Files to download").IsEmpty());  // inner spaces must match
    EXPECT_TRUE(d.parser.GetValue(L"no Such tag", 3).IsEmpty());
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    const RecordedBox& box = boxes.Boxes()[1];
    EXPECT_EQ(box.text, CString(L"Tag 'no Such tag' not found."));  // the tag as the caller wrote it
    EXPECT_EQ(box.caption, CString(L"Ini Parser"));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
}

TEST(IniParserEndRule, OnlyLineZeroEndExactlyCompletes) {
    struct Case {
        const wchar_t* text;
        bool loads;
        Strings boxes;
    } cases[] = {
        {L"[A]\nx\n[End]\nEnd", true, {}},
        {L"[End] End\n[A]\nx", true, {}},           // need not stand last
        {L"[end]\nEnd", true, {}},                  // the tag's case is ignored
        {L"[End]\nend", false, {}},                 // the value's is not
        {L"[End]\nEND", false, {}},
        {L"[End]\nEnd more", false, {}},
        {L"[End]\n\nEnd", true, {}},                // leading blank lines are trimmed away
        {L"[End]\nx\n[End]\nEnd", false, {}},       // only the first [End] counts
        {L"[A]\nx", false, {"Tag 'End' not found."}},
        {L"[End]\nEnd // closing", true, {}},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        Loaded d(c.text);
        EXPECT_EQ(d.result, c.loads) << Narrow(c.text);
        EXPECT_TRUE(d.parser.IsLoaded()) << Narrow(c.text);  // the text stays even when incomplete
        EXPECT_EQ(Texts(boxes), c.boxes) << Narrow(c.text);
    }
}

TEST(IniParserComments, RunToTheLineEnd) {
    MessageBoxRecorder boxes;
    Loaded d(L"// heading\n[A]\nx // note\ny///z\n//\n[B]//comment [C]\nb\n[Last]\nv//" + std::wstring(kEnd));
    ASSERT_TRUE(d.result);
    EXPECT_EQ(d.parser.GetValue(L"A", 0), CString(L"x "));
    EXPECT_EQ(d.parser.GetValue(L"A", 1), CString(L"y"));
    EXPECT_EQ(d.parser.GetValue(L"B", 0), CString(L"b"));  // a "[" inside a comment is gone
    EXPECT_EQ(d.parser.GetValue(L"Last", 0), CString(L"v"));
    EXPECT_TRUE(boxes.Boxes().empty());
    CIniParser parser;
    EXPECT_TRUE(LoadBytes(parser, d.folder, L"c.ini", "[End]\nEnd//"));  // a comment at the very end
}

TEST(IniParserVariables, BuiltInNames) {
    MessageBoxRecorder boxes;
    ScratchFolder folder;
    SetProgramFolder(L"C:\\Setups\\Setup_App_1.exe");
    CIniParser parser;
    ASSERT_TRUE(LoadBytes(parser, folder, L"d.ini",
                          "[V]\n$Application Path$\\x.txt\n$Temp Folder$\n$Program Files Folder$\n$Desktop Folder$\n"
                          "$Startmenu Folder$\n[End]\nEnd"));
    EXPECT_EQ(parser.GetValue(L"V", 0), CString(L"c:\\setups\\x.txt"));
    EXPECT_EQ(parser.GetValue(L"V", 1), GetTempFolder());
    EXPECT_EQ(parser.GetValue(L"V", 2), GetProgramFilesFolder());
    EXPECT_EQ(parser.GetValue(L"V", 3), GetDesktopFolder());
    EXPECT_EQ(parser.GetValue(L"V", 4), GetStartMenuFolder());
    EXPECT_FALSE(GetTempFolder().IsEmpty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(IniParserVariables, Rules) {
    SetProgramFolder(L"C:\\Setups\\Setup_App_1.exe");
    struct Case {
        const char* what;
        std::wstring text;
        std::wstring line0;
        Strings boxes;
    } cases[] = {
        {"tag value", L"[V]\n$Name$.exe\n[Name]\nOrganizer", L"Organizer.exe", {}},
        {"unknown name", L"[V]\na$NoSuchName$b", L"ab", {"Tag 'NoSuchName' not found."}},
        {"built-ins keep their case", L"[V]\n$temp folder$\n[temp folder]\nt", L"t", {}},
        {"5$ pairs with the next $", L"[V]\n5$ or $Temp Folder$", L"5Temp Folder$", {"Tag ' or ' not found."}},
        {"chain", L"[V]\n$A$\n[A]\n$B$\n[B]\nx", L"x", {}},
        {"lone last $", L"[V]\ncost 5$", L"cost 5$", {}},
        {"empty name", L"[V]\na$$b", L"ab", {"Tag '' not found."}},
        {"inside a value", L"[V]\n$A$\n[A]\n<$Application Path$>", L"<c:\\setups>", {}},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        Loaded d(c.text + kEnd);
        EXPECT_TRUE(d.result) << c.what;
        EXPECT_EQ(Texts(boxes), c.boxes) << c.what;
        EXPECT_EQ(d.parser.GetValue(L"V"), CString(c.line0.c_str())) << c.what;
    }
}

// A variable that leads back to itself stops at the expansion bounds: Load ends quickly, the
// text stays bounded, and the rest of the description is still read.
TEST(IniParserVariables, SelfReferenceIsBounded) {
    const wchar_t* texts[] = {
        L"[A]\n$A$",                 // the same text forever
        L"[A]\nx$A$",                // growing by one each time
        L"[A]$A$$A$",                // doubling: the tag's own line is the one being expanded
        L"[A]\n$B$\n[B]\n$A$",       // through another tag
        L"[A]\n$A$$A$$A$$A$$A$$A$",  // many copies at once
    };
    for (const wchar_t* text : texts) {
        MessageBoxRecorder boxes;
        DWORD started = GetTickCount();
        Loaded d(std::wstring(text) + L"\n[Program to run]\nSetup.exe" + kEnd);
        EXPECT_TRUE(d.result) << Narrow(text);
        EXPECT_LT(GetTickCount() - started, 5000u) << Narrow(text);
        EXPECT_LE(d.parser.GetValue(L"A").GetLength(), 70000 + 100) << Narrow(text);
        EXPECT_EQ(d.parser.GetValue(L"Program to run"), CString(L"Setup.exe")) << Narrow(text);
        EXPECT_TRUE(boxes.Boxes().empty()) << Narrow(text);
    }
}

TEST(IniParserLists, FileEntries) {
    struct Case {
        const char* what;
        std::wstring section;
        Strings entries;  // "source|destination" for each true result, "-" for a false one
    } cases[] = {
        {"two then blank", L"a -> b\nc->d\n\ne->f", {"a|b", "c|d", "-", "-"}},
        {"missing arrow moves on", L"a -> b\nno arrow\nc -> d", {"a|b", "-", "c|d", "-"}},
        {"empty side", L"-> b\n a ->\nc -> d", {"-", "-", "c|d", "-"}},
        {"CR LF lines", L"a -> b\r\nc -> d\r\n", {"a|b", "c|d", "-"}},
        {"first arrow splits", L"a -> b -> c", {"a|b -> c", "-"}},
        {"[ ends the list", L"a -> b[1]\nc -> d", {"a|b", "-"}},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        Loaded d(L"[Files to download]\n" + c.section + kEnd);
        ASSERT_TRUE(d.result) << c.what;
        Strings got;
        CString source(L"stale"), destination(L"stale");
        for (size_t i = 0; i < c.entries.size(); ++i) {
            bool ok = i == 0 ? d.parser.GetFirstFile(source, destination) : d.parser.GetNextFile(source, destination);
            got.push_back(ok ? Narrow(source) + "|" + Narrow(destination) : "-");
        }
        EXPECT_EQ(got, c.entries) << c.what;
        // A walk can start over at any time.
        EXPECT_EQ(d.parser.GetFirstFile(source, destination), c.entries[0] != "-") << c.what;
        EXPECT_TRUE(boxes.Boxes().empty()) << c.what;
    }
}

TEST(IniParserLists, SiteEntries) {
    struct Case {
        const char* what;
        std::wstring section;
        Strings entries;
    } cases[] = {
        {"two then blank", L" host1/path \nhost2\n\nhost3", {"host1/path", "host2", "-", "-"}},
        {"CR only line", L"host1\r\n\r\nhost2\r\n", {"host1", "-", "host2", "-"}},
        {"[ inside a value", L"x[1]\ny", {"x", "-"}},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        Loaded d(L"[Download Sites]\n" + c.section + kEnd);
        ASSERT_TRUE(d.result) << c.what;
        Strings got;
        CString site(L"stale");
        for (size_t i = 0; i < c.entries.size(); ++i) {
            bool ok = i == 0 ? d.parser.GetFirstSite(site) : d.parser.GetNextSite(site);
            got.push_back(ok ? Narrow(site) : "-");
        }
        EXPECT_EQ(got, c.entries) << c.what;
        EXPECT_TRUE(boxes.Boxes().empty()) << c.what;
    }
}

TEST(IniParserLists, WalksAreIndependentAndWarnWhenTheirTagIsMissing) {
    Loaded d(L"[Files to download]\na -> b\nc -> d\n[Download Sites]\ns1\ns2" + std::wstring(kEnd));
    CString source, destination, site;
    ASSERT_TRUE(d.parser.GetFirstFile(source, destination));
    ASSERT_TRUE(d.parser.GetFirstSite(site));
    ASSERT_TRUE(d.parser.GetNextFile(source, destination));
    EXPECT_EQ(source, CString(L"c"));
    ASSERT_TRUE(d.parser.GetNextSite(site));
    EXPECT_EQ(site, CString(L"s2"));

    MessageBoxRecorder boxes;
    Loaded empty(L"[Other]\nx" + std::wstring(kEnd));
    EXPECT_FALSE(empty.parser.GetFirstFile(source, destination));
    EXPECT_FALSE(empty.parser.GetNextFile(source, destination));
    EXPECT_FALSE(empty.parser.GetFirstSite(site));
    EXPECT_EQ(Texts(boxes), Strings({"Tag 'Files to download' not found.", "Tag 'Files to download' not found.",
                                     "Tag 'Download Sites' not found."}));
}

TEST(IniParserLists, LoadDoesNotMoveThePositions) {
    Loaded d(L"[Files to download]\na -> b\nc -> d" + std::wstring(kEnd));
    CString source, destination;
    ASSERT_TRUE(d.parser.GetFirstFile(source, destination));
    ASSERT_TRUE(d.parser.Load(d.folder / L"d.ini"));
    ASSERT_TRUE(d.parser.GetNextFile(source, destination));
    EXPECT_EQ(source, CString(L"c"));
}

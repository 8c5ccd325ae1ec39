// eiftool lint's checks, one description per trap: each must be found on its line with a
// message that names it, and a clean description (the demo's among them) gives nothing.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tools/eiftool/DescriptionLint.h"

using testing_support::MessageBoxRecorder;
using testing_support::Narrow;

namespace {

// A complete description with nothing wrong; the cases below each break one thing.
const char kClean[] =
    "// a clean description\n"
    "[Files to download]\n"
    "/FinalSetup.exe -> FinalSetup.exe\n"
    "/Readme.txt -> Readme.txt\n"
    "\n"
    "[Download Sites]\n"
    "$Main Site$\n"
    "mirror.example/setups\n"
    "\n"
    "[Main Site]\n"
    "downloads.example/setups // where the files are\n"
    "[User Info Filename]\n"
    "UserInfo.txt\n"
    "[Program to run]\n"
    "FinalSetup.exe\n"
    "[End]\n"
    "End\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string Clean() { return kClean; }

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char ch : text) out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return out;
}

std::string Utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char ch : ascii) out += std::string{ch, '\0'};
    return out;
}

struct Expected {
    int line;
    const char* text;  // a piece of the message
};

struct LintCase {
    const char* name;
    std::string stored;
    std::vector<Expected> findings;
    std::size_t containerSize = 1400;
    bool isContainer = true;
};

std::vector<LintCase> Cases() {
    return {
        {"clean", Clean(), {}},
        {"clean_with_crlf_line_ends", WithCrLf(Clean()), {}},
        {"clean_utf16", Utf16(Clean()), {}},
        {"end_missing", Replaced(Clean(), "[End]\nEnd\n", ""), {{0, "no [End] tag"}}},
        {"end_in_other_case", Replaced(Clean(), "[End]\nEnd", "[End]\nend"), {{17, "[End] reads \"end\""}}},
        {"user_info_filename_misspelt", Replaced(Clean(), "[User Info Filename]", "[User Info File name]"),
         {{12, "[User Info File name] is not the tag [User Info Filename]"}}},
        {"program_to_run_with_two_spaces", Replaced(Clean(), "[Program to run]", "[Program  to run]"),
         {{14, "[Program  to run] is not the tag [Program to run]"}}},
        {"program_to_run_missing", Replaced(Clean(), "[Program to run]\nFinalSetup.exe\n", ""),
         {{0, "no [Program to run] tag"}}},
        {"files_missing",
         Replaced(Clean(), "[Files to download]\n/FinalSetup.exe -> FinalSetup.exe\n/Readme.txt -> Readme.txt\n", ""),
         {{0, "no [Files to download] tag"}}},
        {"sites_missing_while_files_are_listed",
         Replaced(Clean(), "[Download Sites]\n$Main Site$\nmirror.example/setups\n", ""),
         {{0, "no [Download Sites] tag"}}},
        {"site_with_scheme", Replaced(Clean(), "mirror.example/setups", "http://mirror.example/setups"),
         {{8, "this line is read as \"http:\" (write sites and paths without \"http://\")"}}},
        {"path_with_double_slash", Replaced(Clean(), "/Readme.txt -> Readme.txt", "/docs//Readme.txt -> Readme.txt"),
         {{4, "this line is read as \"/docs\""}, {4, "this line has no \"->\", so the file list ends here"}}},
        {"bracket_inside_a_value", Replaced(Clean(), "mirror.example/setups", "mirror[2].example/setups"),
         {{8, "\"[\" inside a value ends the section of [Download Sites] here: this line is read as \"mirror\""}}},
        {"tag_without_its_closing_bracket", Replaced(Clean(), "[User Info Filename]", "[User Info Filename"),
         {{0, "no [User Info Filename] tag"},
          {12, "this \"[\" has no \"]\" on its line, so it opens no tag, yet it ends the section of [Main Site] here"}}},
        {"end_is_not_taken_for_a_short_name", Replaced(Clean(), "[End]", "[Ed]"), {{0, "no [End] tag"}}},
        {"program_to_run_with_a_cr",
         WithCrLf(Replaced(Clean(), "[Program to run]\nFinalSetup.exe\n", "[Program to run]\nFinalSetup.exe\nSetup.exe\n")),
         {{15, "[Program to run] is read as \"FinalSetup.exe\\r\""}}},
        {"variable_with_a_cr",
         WithCrLf(Replaced(Clean(), "downloads.example/setups // where the files are\n",
                           "downloads.example/setups\nold.example/setups\n")),
         {{11, "$Main Site$ carries the CR"}}},
        {"file_list_cut_by_a_blank_line", Replaced(Clean(), "/Readme.txt -> Readme.txt\n", "\n/Readme.txt -> Readme.txt\n"),
         {{4, "this blank line ends the file list, and the line below it is never downloaded"}}},
        {"file_line_without_arrow", Replaced(Clean(), "/Readme.txt -> Readme.txt", "/Readme.txt Readme.txt"),
         {{4, "this line has no \"->\", so the file list ends here"}}},
        {"file_line_with_an_empty_side",
         Replaced(Clean(), "/FinalSetup.exe -> FinalSetup.exe", "/FinalSetup.exe ->"),
         {{3, "an empty side of \"->\", so the file list ends here, and the line below it is never downloaded"}}},
        {"site_list_cut_by_a_blank_line", Replaced(Clean(), "$Main Site$\n", "$Main Site$\n\n"),
         {{8, "this blank line ends the site list, and the line below it is never tried"}}},
        {"variable_that_is_no_tag", Replaced(Clean(), "UserInfo.txt", "$Temp folder$\\UserInfo.txt"),
         {{13, "$Temp folder$ is neither a built-in variable nor a tag: a run warns \"Tag 'Temp folder' not found.\" "
               "and puts nothing in its place (built-in names are written exactly: $Temp Folder$)"}}},
        {"variable_that_refers_to_itself",
         Replaced(Clean(), "[Main Site]\ndownloads.example/setups", "[Main Site]\n$Other Site$\n[Other Site]\n$Main Site$"),
         {{7, "$Main Site$ refers to itself (Main Site -> Other Site -> Main Site)"},
          {11, "$Other Site$ refers to itself"},
          {13, "$Main Site$ refers to itself"}}},
        {"dollar_pairs_across_lines",
         Replaced(Replaced(Clean(), "UserInfo.txt", "Cost$5.txt"), "\nFinalSetup.exe\n[End]",
                  "\n$Application Path$\\FinalSetup.exe\n[End]"),
         {{13, "this \"$\" pairs with the \"$\" on line 15"}}},
        {"destination_with_a_folder", Replaced(Clean(), "-> Readme.txt", "-> Docs\\Readme.txt"),
         {{4, "the destination \"Docs\\Readme.txt\" has a folder part"}}},
        {"destination_leaving_the_working_folder", Replaced(Clean(), "-> Readme.txt", "-> ..\\Readme.txt"),
         {{4, "the destination \"..\\Readme.txt\" leaves the working folder"}}},
        {"destination_with_a_drive", Replaced(Clean(), "-> Readme.txt", "-> C:\\Readme.txt"),
         {{4, "leaves the working folder"}}},
        {"source_without_a_slash", Replaced(Clean(), "/Readme.txt ->", "Readme.txt ->"),
         {{4, "a run asks for http://downloads.example/setupsReadme.txt"}}},
        {"duplicate_tag", Clean() + "[program to run]\nOther.exe\n",
         {{18, "[program to run] again: only the first one, on line 14, counts"}}},
        {"container_below_the_hosts_threshold", Clean(), {{0, "the container is 999 bytes"}}, 999, true},
        {"description_that_packs_too_small", Clean(), {{0, "packed, this description makes a container of 526 bytes"}},
         526, false},
        {"utf16_line_numbers", Utf16(Replaced(Clean(), "-> Readme.txt", "-> Docs\\Readme.txt")),
         {{4, "has a folder part"}}},
        {"empty", std::string(), {{0, "the description is empty"}}},
    };
}

// Test names and failure messages show a case by its name.
void PrintTo(const LintCase& c, std::ostream* out) { *out << c.name; }

class LintTest : public testing::TestWithParam<LintCase> {};

TEST_P(LintTest, FindsEachTrapOnItsLine) {
    const LintCase& c = GetParam();
    MessageBoxRecorder boxes;
    LintSubject subject;
    subject.stored = c.stored;
    subject.isContainer = c.isContainer;
    subject.containerSize = c.containerSize;
    std::vector<LintFinding> findings = LintDescription(subject);

    std::string all;
    for (const LintFinding& f : findings) all += "\n  " + std::to_string(f.line) + ": " + Narrow(f.message.c_str());
    ASSERT_EQ(findings.size(), c.findings.size()) << "findings:" << all;
    for (size_t i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(findings[i].line, c.findings[i].line) << "finding " << i << ":" << all;
        EXPECT_NE(Narrow(findings[i].message.c_str()).find(c.findings[i].text), std::string::npos)
            << "finding " << i << " lacks \"" << c.findings[i].text << "\":" << all;
    }
    // The reader's missing-tag warnings are recorded by lint, never shown.
    EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Descriptions, LintTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<LintCase>& info) { return std::string(info.param.name); });

// Every trap at once: each is still found, and a message box never appears.
TEST(LintAllTraps, FindsEveryTrapOfOneDescription) {
    const std::string text =
        "[Files to download]\n"                       // 1
        "/a.exe -> a.exe\n"                           // 2
        "/b.txt -> Data\\b.txt\n"                     // 3 folder part
        "/c.txt -> ..\\c.txt\n"                       // 4 leaves the working folder
        "\n"                                          // 5 ends the list early
        "/e.txt -> e.txt\n"                           // 6
        "[Download Sites]\n"                          // 7
        "http://host/x\n"                             // 8 cut by a comment
        "site[1]\n"                                   // 9 "[" in a value
        "[user info filename]\n"                      // 10
        "$Temp folder$\\u.txt\n"                      // 11 not a variable
        "[Program  to run]\n"                         // 12 misspelt
        "a.exe\n"                                     // 13
        "[Loop]\n"                                    // 14
        "$Loop$\n"                                    // 15 refers to itself
        "[Files to download]\n"                       // 16 duplicate
        "[End]\n"                                     // 17
        "end\n";                                      // 18 not "End"
    LintSubject subject;
    subject.stored = text;
    subject.containerSize = 782;
    subject.isContainer = true;
    MessageBoxRecorder boxes;
    std::vector<LintFinding> findings = LintDescription(subject);
    std::vector<int> lines;
    for (const LintFinding& f : findings) lines.push_back(f.line);
    EXPECT_EQ(lines, (std::vector<int>{0, 3, 4, 5, 8, 9, 11, 12, 15, 16, 18}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(LintDemo, TheDemoDescriptionIsClean) {
    std::string demo = testing_support::ReadBytes(testing_support::TestDataFolder() + L"\\..\\..\\demo\\SetupInitial.ini");
    ASSERT_FALSE(demo.empty());
    LintSubject subject;
    subject.stored = demo;
    subject.containerSize = 14 + (demo.size() + 85) / 86 * 128;
    std::vector<LintFinding> findings = LintDescription(subject);
    for (const LintFinding& f : findings) ADD_FAILURE() << f.line << ": " << Narrow(f.message.c_str());
}

}  // namespace

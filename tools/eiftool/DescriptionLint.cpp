// The checks of eiftool lint. The reader (CIniParser) is the authority on what a run gets
// out of a description; the line model here only tells where in the file each thing stands.
// Comment removal cuts up to, not including, the line end, so the lines keep their numbers.
#include "tools/eiftool/DescriptionLint.h"

#include <algorithm>
#include <cwctype>
#include <functional>
#include <map>
#include <set>

#include "app/Messages.h"
#include "app/Thresholds.h"
#include "description/IniParser.h"
#include "fs/RelativePath.h"
#include "tools/eiftool/ReaderLoad.h"

using std::wstring;

namespace {

// The reader's own tags and variable names, as it compares them.
const wchar_t kEndTag[] = L"End";
const wchar_t kEndValue[] = L"End";
const wchar_t kFilesTag[] = L"Files to download";
const wchar_t kSitesTag[] = L"Download Sites";
const wchar_t kFileArrow[] = L"->";
const wchar_t* const kBuiltInVariables[] = {L"Program Files Folder", L"Temp Folder", L"Desktop Folder",
                                            L"Startmenu Folder", L"Application Path"};
// The reader's bound on variable replacements (description/IniParser.cpp).
constexpr int kReaderReplacementBound = 1024;
// A bracketed name this close to a required tag (edits, ignoring letter case) is taken for
// it: one edit per this many letters of the tag, at most kNearMissMostEdits.
constexpr int kNearMissLettersPerEdit = 5;
constexpr int kNearMissMostEdits = 2;

bool IsSpace(wchar_t ch) { return iswspace(ch) != 0; }

wstring Trimmed(const wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && IsSpace(text[first])) ++first;
    while (last > first && IsSpace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// Upper-cases A to Z only, as the reader's tag comparison does.
wstring Upper(wstring text) {
    for (wchar_t& ch : text)
        if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    return text;
}

bool IsBuiltInVariable(const wstring& name) {
    for (const wchar_t* builtIn : kBuiltInVariables)
        if (name == builtIn) return true;
    return false;
}

// A value as a person reads it: control characters written out.
wstring Shown(const wstring& value) {
    wstring out = L"\"";
    for (wchar_t ch : value) {
        if (ch == L'\r') out += L"\\r";
        else if (ch == L'\t') out += L"\\t";
        else out += ch;
    }
    return out + L"\"";
}

wstring Bracketed(const wstring& tag) { return L"[" + tag + L"]"; }

int EditDistance(const wstring& a, const wstring& b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The stored form decoded as the reader decodes it: FF FE in front means UTF-16
// little-endian, anything else the ANSI code page; the text ends at its first NUL.
wstring Decode(const std::string& stored) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(stored.data());
    size_t length = stored.size();
    wstring text;
    if (length >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        for (size_t i = 2; i < length; i += 2) {
            wchar_t unit = static_cast<wchar_t>(data[i] | (i + 1 < length ? data[i + 1] << 8 : 0));
            if (unit == 0) break;
            text += unit;
        }
        return text;
    }
    size_t end = 0;
    while (end < length && data[end] != 0) ++end;
    return CString::FromAnsi(stored.data(), static_cast<int>(end)).str();
}

// The description text with comments removed, as the reader removes them.
wstring RemoveComments(wstring text) {
    for (size_t p = text.find(L"//"); p != wstring::npos; p = text.find(L"//", p)) {
        size_t lf = text.find(L'\n', p + 1);
        text.erase(p, (lf == wstring::npos ? text.size() : lf) - p);
    }
    return text;
}

struct SectionLine {
    wstring text;
    int line;
};

struct Section {
    bool found = false;
    int tagLine = 0;
    std::vector<SectionLine> lines;  // the pieces of the trimmed section, as the reader cuts it
};

struct TagLine {
    wstring name;
    int line;
};

// The comment-free text with its lines numbered: where tags, sections and values stand.
class CLineModel {
public:
    explicit CLineModel(wstring text) : m_text(std::move(text)) {
        for (size_t i = 0; i < m_text.size(); ++i)
            if (m_text[i] == L'\n') m_lineFeeds.push_back(i);
        for (size_t p = m_text.find(L'['); p != wstring::npos; p = m_text.find(L'[', p + 1)) {
            size_t close = CloseOfTagOpener(p);
            if (close != wstring::npos) m_tags.push_back({m_text.substr(p + 1, close - p - 1), LineOf(p)});
        }
    }

    const wstring& Text() const { return m_text; }
    const std::vector<TagLine>& Tags() const { return m_tags; }

    int LineOf(size_t position) const {
        return 1 + static_cast<int>(std::lower_bound(m_lineFeeds.begin(), m_lineFeeds.end(), position) -
                                    m_lineFeeds.begin());
    }

    size_t LineStart(size_t position) const {
        size_t lf = position == 0 ? wstring::npos : m_text.rfind(L'\n', position - 1);
        return lf == wstring::npos ? 0 : lf + 1;
    }

    // When the "[" at p opens a tag line (only white space before it on its line, a "]"
    // after it on the line), the position of that "]"; npos otherwise.
    size_t CloseOfTagOpener(size_t p) const {
        for (size_t i = LineStart(p); i < p; ++i)
            if (!IsSpace(m_text[i])) return wstring::npos;
        size_t close = m_text.find(L']', p);
        size_t lf = m_text.find(L'\n', p);
        return (close != wstring::npos && (lf == wstring::npos || close < lf)) ? close : wstring::npos;
    }

    // Position just after the first "[tag]" (letter case ignored), as the reader finds it.
    size_t FindTagEnd(const wstring& tag) const {
        wstring bracketed = Upper(Bracketed(tag));
        size_t at = Upper(m_text).find(bracketed);
        return at == wstring::npos ? wstring::npos : at + bracketed.size();
    }

    Section SectionOf(const wstring& tag) const {
        Section section;
        size_t start = FindTagEnd(tag);
        if (start == wstring::npos) return section;
        section.found = true;
        section.tagLine = LineOf(start - 1);
        size_t stop = m_text.find(L'[', start);
        if (stop == wstring::npos) stop = m_text.size();
        while (start < stop && IsSpace(m_text[start])) ++start;
        while (stop > start && IsSpace(m_text[stop - 1])) --stop;
        int line = LineOf(start);
        size_t from = start;
        while (true) {
            size_t lf = m_text.find(L'\n', from);
            if (lf == wstring::npos || lf >= stop) {
                section.lines.push_back({m_text.substr(from, stop - from), line});
                break;
            }
            section.lines.push_back({m_text.substr(from, lf - from), line++});
            from = lf + 1;
        }
        return section;
    }

    // Line 0 of a tag's section before variables are expanded; empty when the tag is absent.
    wstring FirstLineOf(const wstring& tag) const {
        Section section = SectionOf(tag);
        return section.found ? section.lines[0].text : wstring();
    }

private:
    wstring m_text;
    std::vector<size_t> m_lineFeeds;
    std::vector<TagLine> m_tags;
};

// One variable use: the text between a pair of "$", where the pair starts and ends.
struct VariableUse {
    wstring name;
    int line;
    int closingLine;
};

// The "$" pairs of a text, paired as the reader pairs them (a lone last "$" is no use).
std::vector<VariableUse> VariableUses(const CLineModel& model) {
    std::vector<VariableUse> uses;
    const wstring& text = model.Text();
    for (size_t p = text.find(L'$'); p != wstring::npos; p = text.find(L'$', p)) {
        size_t q = text.find(L'$', p + 1);
        if (q == wstring::npos) break;
        uses.push_back({text.substr(p + 1, q - p - 1), model.LineOf(p), model.LineOf(q)});
        p = q + 1;
    }
    return uses;
}

class CLinter {
public:
    CLinter(const LintSubject& subject) : m_subject(subject), m_model(RemoveComments(Decode(subject.stored))) {}

    std::vector<LintFinding> Run() {
        CheckContainerSize();
        if (Trimmed(m_model.Text()).empty()) {
            Add(0, L"the description is empty");
            return Sorted();
        }
        bool loaded = false;
        std::wstring error;
        LoadStoredDescription(m_reader, m_subject.stored, loaded, error);
        if (!loaded) {
            Add(0, error);
            return Sorted();
        }
        m_boxes.Clear();
        CheckRequiredTags();
        CheckCutByComments();
        CheckBracketsInValues();
        CheckDuplicateTags();
        CheckVariables();
        CheckCarriageReturns();
        CheckFileList();
        CheckSiteList();
        return Sorted();
    }

private:
    void Add(int line, const wstring& message) { m_findings.push_back({line, message}); }

    std::vector<LintFinding> Sorted() {
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
        return m_findings;
    }

    bool HasTag(const wstring& tag) const { return m_model.FindTagEnd(tag) != wstring::npos; }

    void CheckContainerSize() {
        if (m_subject.containerSize >= static_cast<size_t>(kDescriptionMinimumSize)) return;
        wstring size = std::to_wstring(m_subject.containerSize);
        wstring minimum = std::to_wstring(kDescriptionMinimumSize);
        if (m_subject.isContainer)
            Add(0, L"the container is " + size + L" bytes: a download host counts the description as present "
                   L"only from " + minimum + L" bytes, so a run never finds it (pad the description with comment "
                   L"lines and pack it again)");
        else
            Add(0, L"packed, this description makes a container of " + size + L" bytes: a download host counts "
                   L"the description as present only from " + minimum + L" bytes, so a run never finds it "
                   L"(pad it with comment lines)");
    }

    // A required tag that the reader does not find; a bracketed name close to it is named.
    void ReportMissingTag(const wstring& tag, const wstring& consequence) {
        wstring warning = wstring(L"a run warns \"Tag '") + tag + L"' not found.\" and " + consequence;
        wstring wanted = Upper(tag);
        for (const TagLine& candidate : m_model.Tags()) {
            wstring name = Upper(candidate.name);
            wstring squeezed, wantedSqueezed;
            for (wchar_t ch : name) if (!IsSpace(ch)) squeezed += ch;
            for (wchar_t ch : wanted) if (!IsSpace(ch)) wantedSqueezed += ch;
            int edits = std::min(kNearMissMostEdits, static_cast<int>(wanted.size()) / kNearMissLettersPerEdit);
            if (squeezed == wantedSqueezed || EditDistance(name, wanted) <= edits) {
                Add(candidate.line, Bracketed(candidate.name) + L" is not the tag " + Bracketed(tag) +
                                        L" (its letters and inner spaces must match): " + warning);
                return;
            }
        }
        Add(0, L"no " + Bracketed(tag) + L" tag: " + warning);
    }

    void CheckRequiredTags() {
        if (!HasTag(kEndTag)) {
            ReportMissingTag(kEndTag, L"the description does not load");
        } else {
            wstring value = m_reader.GetValue(kEndTag).GetString();
            if (value != kEndValue) {
                Section end = m_model.SectionOf(kEndTag);
                Add(end.lines[0].text.empty() ? end.tagLine : end.lines[0].line,
                    L"[End] reads " + Shown(value) + L", not \"End\" (exactly, in this letter case): the description "
                    L"does not load");
            }
        }
        const std::pair<const wchar_t*, const wchar_t*> kRequired[] = {
            {setup_text::kTagUserInfoFilename, L"the user info file is not written"},
            {setup_text::kTagProgramToRun, L"the final setup cannot be started"},
            {kFilesTag, L"no file is downloaded"},
        };
        for (const auto& required : kRequired)
            if (!HasTag(required.first)) ReportMissingTag(required.first, required.second);
        CString source, destination;
        if (HasTag(kFilesTag) && m_reader.GetFirstFile(source, destination) && !HasTag(kSitesTag))
            ReportMissingTag(kSitesTag, L"the run stops with \"Error: Download site not found.\"");
    }

    // A "//" right after other text on a line: the rest of the value is cut off.
    void CheckCutByComments() {
        wstring raw = Decode(m_subject.stored);
        size_t firstTag = m_model.Tags().empty() ? 0 : m_model.Tags().front().line;
        size_t lineStart = 0;
        for (int line = 1; lineStart <= raw.size(); ++line) {
            size_t lf = raw.find(L'\n', lineStart);
            size_t lineEnd = lf == wstring::npos ? raw.size() : lf;
            size_t slashes = raw.find(L"//", lineStart);
            if (slashes != wstring::npos && slashes < lineEnd && slashes > lineStart &&
                static_cast<size_t>(line) >= firstTag) {
                wchar_t before = raw[slashes - 1];
                if (!IsSpace(before) && before != L']') {
                    wstring kept = Trimmed(raw.substr(lineStart, slashes - lineStart));
                    wstring message = L"\"//\" starts a comment, even inside a value: this line is read as " +
                                      Shown(kept);
                    if (before == L':') message += L" (write sites and paths without \"http://\")";
                    Add(line, message);
                }
            }
            if (lf == wstring::npos) break;
            lineStart = lf + 1;
        }
    }

    // A "[" that does not open a tag line ends the section it stands in.
    void CheckBracketsInValues() {
        const wstring& text = m_model.Text();
        wstring current;
        for (size_t p = text.find(L'['); p != wstring::npos; p = text.find(L'[', p + 1)) {
            size_t close = m_model.CloseOfTagOpener(p);
            if (close != wstring::npos) {
                current = text.substr(p + 1, close - p - 1);
                continue;
            }
            if (current.empty()) continue;  // text before the first tag is never read
            size_t lineStart = m_model.LineStart(p);
            wstring kept = Trimmed(text.substr(lineStart, p - lineStart));
            if (kept.empty()) {
                Add(m_model.LineOf(p), L"this \"[\" has no \"]\" on its line, so it opens no tag, yet it ends the "
                                       L"section of " + Bracketed(current) + L" here");
                continue;
            }
            Add(m_model.LineOf(p), L"\"[\" inside a value ends the section of " + Bracketed(current) +
                                       L" here: this line is read as " + Shown(kept) +
                                       L", and the lines below it up to the next tag belong to no tag");
        }
    }

    void CheckDuplicateTags() {
        std::map<wstring, int> first;
        for (const TagLine& tag : m_model.Tags()) {
            auto seen = first.emplace(Upper(tag.name), tag.line);
            if (!seen.second)
                Add(tag.line, Bracketed(tag.name) + L" again: only the first one, on line " +
                                  std::to_wstring(seen.first->second) + L", counts");
        }
    }

    void CheckVariables() {
        std::vector<VariableUse> uses = VariableUses(m_model);
        // Which tags each tag's line 0 refers to, for finding references that lead back.
        std::map<wstring, std::vector<wstring>> refers;
        std::function<const std::vector<wstring>&(const wstring&)> referred = [&](const wstring& name)
            -> const std::vector<wstring>& {
            auto known = refers.find(Upper(name));
            if (known != refers.end()) return known->second;
            std::vector<wstring>& names = refers[Upper(name)];
            wstring line0 = m_model.FirstLineOf(name);
            for (size_t p = line0.find(L'$'); p != wstring::npos; p = line0.find(L'$', p)) {
                size_t q = line0.find(L'$', p + 1);
                if (q == wstring::npos) break;
                wstring inner = line0.substr(p + 1, q - p - 1);
                if (!IsBuiltInVariable(inner) && HasTag(inner)) names.push_back(inner);
                p = q + 1;
            }
            return names;
        };
        // The chain from name back to itself, or empty when there is none.
        auto cycleOf = [&](const wstring& name) {
            std::map<wstring, wstring> parent;
            std::vector<wstring> queue{name};
            std::set<wstring> seen{Upper(name)};
            for (size_t i = 0; i < queue.size(); ++i) {
                for (const wstring& next : referred(queue[i])) {
                    if (Upper(next) == Upper(name)) {
                        std::vector<wstring> chain{next};
                        for (wstring at = queue[i]; Upper(at) != Upper(name); at = parent[Upper(at)])
                            chain.push_back(at);
                        chain.push_back(name);
                        std::reverse(chain.begin(), chain.end());
                        return chain;
                    }
                    if (seen.insert(Upper(next)).second) {
                        parent[Upper(next)] = queue[i];
                        queue.push_back(next);
                    }
                }
            }
            return std::vector<wstring>();
        };

        for (const VariableUse& use : uses) {
            if (use.closingLine != use.line) {
                Add(use.line, L"this \"$\" pairs with the \"$\" on line " + std::to_wstring(use.closingLine) +
                                  L": everything between them is taken as the name of one variable");
                continue;
            }
            if (IsBuiltInVariable(use.name)) continue;
            if (!HasTag(use.name)) {
                wstring message = L"$" + use.name + L"$ is neither a built-in variable nor a tag: a run warns \"Tag '" +
                                  use.name + L"' not found.\" and puts nothing in its place";
                for (const wchar_t* builtIn : kBuiltInVariables)
                    if (Upper(use.name) == Upper(builtIn))
                        message += wstring(L" (built-in names are written exactly: $") + builtIn + L"$)";
                Add(use.line, message);
                continue;
            }
            std::vector<wstring> chain = cycleOf(use.name);
            if (!chain.empty()) {
                wstring path;
                for (const wstring& step : chain) path += (path.empty() ? L"" : L" -> ") + step;
                Add(use.line, L"$" + use.name + L"$ refers to itself (" + path + L"): its expansion has no end; "
                              L"a run stops after " + std::to_wstring(kReaderReplacementBound) +
                              L" replacements and leaves \"$\" signs in the text");
            }
        }
    }

    // Values read at line 0 keep a trailing CR unless they are the last line of their section.
    void CheckCarriageReturns() {
        std::vector<std::pair<wstring, bool>> readAtLineZero = {
            {setup_text::kTagUserInfoFilename, false}, {setup_text::kTagProgramToRun, false},
            {setup_text::kTagDownloadInitialSetup, false}, {setup_text::kTagDownloadPath, false}};
        std::set<wstring> listed;
        for (const auto& tag : readAtLineZero) listed.insert(Upper(tag.first));
        for (const VariableUse& use : VariableUses(m_model))
            if (!IsBuiltInVariable(use.name) && HasTag(use.name) && listed.insert(Upper(use.name)).second)
                readAtLineZero.push_back({use.name, true});
        for (const auto& tag : readAtLineZero) {
            if (!HasTag(tag.first)) continue;
            wstring value = m_reader.GetValue(tag.first.c_str()).GetString();
            if (value.find(L'\r') == wstring::npos) continue;
            wstring message = L"the value of " + Bracketed(tag.first) + L" is read as " + Shown(value) +
                              L" (CR LF line ends)";
            message += tag.second ? L", and $" + tag.first + L"$ carries the CR into every line that uses it"
                                  : wstring(L"");
            message += L": give the file LF line ends, or make the value the only line of its section";
            Add(m_model.SectionOf(tag.first).lines[0].line, message);
        }
    }

    static wstring Lines(int count) {
        return count == 1 ? wstring(L"the line") : L"the " + std::to_wstring(count) + L" lines";
    }

    static int NonBlankAfter(const Section& section, size_t index) {
        int count = 0;
        for (size_t i = index + 1; i < section.lines.size(); ++i)
            if (!Trimmed(section.lines[i].text).empty()) ++count;
        return count;
    }

    void CheckFileList() {
        Section section = m_model.SectionOf(kFilesTag);
        if (!section.found) return;
        CString source, destination;
        size_t index = 0;
        for (bool more = m_reader.GetFirstFile(source, destination); more && index < section.lines.size() + 1;
             more = m_reader.GetNextFile(source, destination), ++index) {
            int line = index < section.lines.size() ? section.lines[index].line : section.tagLine;
            CheckDestination(line, destination.GetString());
            CheckSourceJoin(line, source.GetString());
        }
        if (index >= section.lines.size()) return;
        wstring entry = m_reader.GetValue(kFilesTag, static_cast<int>(index)).GetString();
        int below = NonBlankAfter(section, index);
        wstring never = below > 0 ? L", and " + Lines(below) + L" below it " + (below == 1 ? L"is" : L"are") +
                                        L" never downloaded"
                                  : wstring();
        int line = section.lines[index].line;
        if (Trimmed(entry).empty()) {
            if (below > 0) Add(line, L"this blank line ends the file list" + never);
        } else if (entry.find(kFileArrow) == wstring::npos) {
            Add(line, L"this line has no \"->\", so the file list ends here" + never);
        } else {
            Add(line, L"this line has an empty side of \"->\", so the file list ends here" + never);
        }
    }

    void CheckSiteList() {
        Section section = m_model.SectionOf(kSitesTag);
        if (!section.found) return;
        CString site;
        size_t index = 0;
        for (bool more = m_reader.GetFirstSite(site); more && index < section.lines.size() + 1;
             more = m_reader.GetNextSite(site))
            ++index;
        if (index >= section.lines.size()) return;
        int below = NonBlankAfter(section, index);
        if (below > 0)
            Add(section.lines[index].line, L"this blank line ends the site list, and " + Lines(below) + L" below it " +
                                               (below == 1 ? L"is" : L"are") + L" never tried");
    }

    void CheckDestination(int line, const wstring& destination) {
        if (!IsContainedRelativePath(destination.c_str())) {
            Add(line, L"the destination " + Shown(destination) + L" leaves the working folder: a run refuses it "
                      L"and stops with \"" + setup_text::kFileDownloadFailed + destination + L"\"");
        } else if (destination.find_first_of(L"\\/") != wstring::npos) {
            Add(line, L"the destination " + Shown(destination) + L" has a folder part: a run creates no folders, so "
                      L"it stops with \"" + setup_text::kFileDownloadFailed + destination + L"\"");
        }
    }

    // The URL of a file is the site and the source joined with nothing between them.
    void CheckSourceJoin(int line, const wstring& source) {
        if (source.empty() || source[0] == L'/') return;
        CString site;
        for (bool more = m_reader.GetFirstSite(site); more; more = m_reader.GetNextSite(site)) {
            wstring text = site.GetString();
            if (!text.empty() && text.back() == L'/') continue;
            Add(line, L"the source " + Shown(source) + L" does not start with \"/\": with the site " + Shown(text) +
                      L" a run asks for " + setup_text::kScheme + text + source);
            return;
        }
    }

    const LintSubject& m_subject;
    CLineModel m_model;
    CRecordedMessageBoxes m_boxes;
    CIniParser m_reader;
    std::vector<LintFinding> m_findings;
};

}  // namespace

std::vector<LintFinding> LintDescription(const LintSubject& subject) { return CLinter(subject).Run(); }

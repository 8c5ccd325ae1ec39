// The description reader: decoding, comments, variables, the End rule, tag lookups and the
// two list walks. Every lookup searches the text for its tag afresh; only the upper-case
// copy of the text and the place of the last line found are kept while the text is unchanged.
#include "description/IniParser.h"

#include <PrivateKey.h>

#include <cwctype>

#include "description/FileContents.h"
#include "framework/MessageBox.h"
#include "fs/Paths.h"

namespace {

const wchar_t kPlainSuffix[] = L".ini";
const wchar_t kFilesTag[] = L"Files to download";
const wchar_t kSitesTag[] = L"Download Sites";
const wchar_t kEndTag[] = L"End";
const wchar_t kEndValue[] = L"End";
const wchar_t kFileArrow[] = L"->";
const wchar_t kCommentStart[] = L"//";
const wchar_t kWarningCaption[] = L"Ini Parser";

// Bounds on variable expansion, so that a variable whose value leads back to itself (directly
// or through other tags) can neither loop nor grow the text without end. Real descriptions
// use a few dozen variables; when either bound is reached, expansion stops silently and the
// rest of the text keeps its "$" as written (the End rule and the callers then judge it).
// Each replacement copies the text a few times, so the bounds also cap the time: at most
// kMaxReplacements copies of a text at most kMaxGrowth units longer than the original.
constexpr int kMaxReplacements = 1024;
constexpr int kMaxGrowth = 65536;  // UTF-16 units the text may grow by through expansion

constexpr unsigned char kUtf16Mark[] = {0xFF, 0xFE};

}  // namespace

bool CIniParser::Load(CString name) {
    CString path = (name.GetLength() >= 2 && name[1] == L':') ? name : GetProgramFolder() + name;
    unsigned char* data = nullptr;
    int length = 0;
    if (name.Right(4) == kPlainSuffix)
        ReadPlainFile(path, data, length);
    else
        ReadEncryptedFile(path, data, length, kSetupPrivateKeyHex);
    if (!data) return false;
    Decode(data, length);
    delete[] data;
    RemoveComments();
    ExpandVariables();
    return GetValue(kEndTag, 0) == kEndValue;
}

bool CIniParser::IsLoaded() const { return !m_text.IsEmpty(); }

// FF FE in front: UTF-16 little-endian from byte 2; anything else: the ANSI code page. The
// text ends at its first NUL or at the end of the data (bytes past length count as zero).
void CIniParser::Decode(const unsigned char* data, int length) {
    if (length >= 2 && data[0] == kUtf16Mark[0] && data[1] == kUtf16Mark[1]) {
        std::wstring text;
        for (int i = 2; i < length; i += 2) {
            wchar_t unit = static_cast<wchar_t>(data[i] | (i + 1 < length ? data[i + 1] << 8 : 0));
            if (unit == 0) break;
            text += unit;
        }
        m_text = CString(text.c_str(), static_cast<int>(text.size()));
    } else {
        int end = 0;
        while (end < length && data[end] != 0) ++end;
        m_text = CString::FromAnsi(reinterpret_cast<const char*>(data), end);
    }
    TextChanged();
}

void CIniParser::TextChanged() {
    m_upperValid = false;
    m_cursor = SectionCursor();
}

void CIniParser::ReadPlainFile(CString path, unsigned char*& data, int& length) {
    data = ReadFileContents(path, length, 2);
}

int CIniParser::FindTag(CString tag) const {
    CString bracketed = L"[" + tag + L"]";
    bracketed.MakeUpper();
    if (!m_upperValid) {
        m_upperText = m_text;
        m_upperText.MakeUpper();  // A-Z only: positions stay those of m_text
        m_upperValid = true;
    }
    int at = m_upperText.Find(bracketed);
    return at < 0 ? -1 : at + bracketed.GetLength();
}

CString CIniParser::GetValue(CString tag, int line) {
    int start = FindTag(tag);
    if (start < 0) {
        CString message = L"Tag '" + tag + L"' not found.";
        ShowMessageBox(nullptr, message, kWarningCaption, MB_OK | MB_ICONWARNING);
        return CString();
    }
    // The section runs from the tag to the next "[" (or the end), white space trimmed.
    if (m_cursor.tagEnd != start) {
        int stop = m_text.Find(L'[', start);
        if (stop < 0) stop = m_text.GetLength();
        int begin = start, end = stop;
        while (end > begin && iswspace(m_text[end - 1])) --end;
        while (begin < end && iswspace(m_text[begin])) ++begin;
        m_cursor = SectionCursor{start, begin, end, 0, begin};
    }
    // Lines are counted from the section's start, or on from the last line asked for.
    int n = 0, from = m_cursor.begin;
    if (m_cursor.line <= line) {
        n = m_cursor.line;
        from = m_cursor.lineStart;
    }
    const int end = m_cursor.end;
    for (; n < line; ++n) {
        int lf = from < end ? m_text.Find(L'\n', from) : -1;
        if (lf < 0 || lf >= end) return CString();
        from = lf + 1;
    }
    m_cursor.line = line;
    m_cursor.lineStart = from;
    int lf = from < end ? m_text.Find(L'\n', from) : -1;
    return (lf < 0 || lf >= end) ? m_text.Mid(from, end - from) : m_text.Mid(from, lf - from);
}

void CIniParser::RemoveComments() {
    for (int p = m_text.Find(kCommentStart); p >= 0; p = m_text.Find(kCommentStart, p)) {
        int lf = m_text.Find(L'\n', p + 1);
        int end = lf < 0 ? m_text.GetLength() : lf;
        m_text.Delete(p, end - p);
        TextChanged();
    }
}

CString CIniParser::VariableValue(const CString& name) {
    if (name == L"Program Files Folder") return GetProgramFilesFolder();
    if (name == L"Temp Folder") return GetTempFolder();
    if (name == L"Desktop Folder") return GetDesktopFolder();
    if (name == L"Startmenu Folder") return GetStartMenuFolder();
    if (name == L"Application Path") return RemoveTrailingBackslash(GetProgramFolder());
    return GetValue(name, 0);  // any other name: line 0 of the tag of that name
}

void CIniParser::ExpandVariables() {
    const int maxLength = m_text.GetLength() + kMaxGrowth;
    int replacements = 0;
    for (int p = m_text.Find(L'$'); p >= 0 && replacements < kMaxReplacements; p = m_text.Find(L'$', p)) {
        int q = m_text.Find(L'$', p + 1);
        if (q < 0) break;  // a lone "$" stays in the text
        CString value = VariableValue(m_text.Mid(p + 1, q - p - 1));
        if (m_text.GetLength() - (q - p + 1) + value.GetLength() > maxLength) break;
        // Searching on from p expands the variables inside the inserted value in turn.
        m_text = m_text.Left(p) + value + m_text.Mid(q + 1);
        TextChanged();
        ++replacements;
    }
}

bool CIniParser::GetFirstFile(CString& source, CString& destination) {
    m_filePosition = 0;
    return GetNextFile(source, destination);
}

bool CIniParser::GetNextFile(CString& source, CString& destination) {
    source.Empty();
    destination.Empty();
    CString entry = GetValue(kFilesTag, m_filePosition);
    if (entry.IsEmpty()) return false;
    int arrow = entry.Find(kFileArrow);
    if (arrow >= 0) {
        source = entry.Left(arrow);
        source.Trim();
        destination = entry.Mid(arrow + 2);
        destination.Trim();
    }
    ++m_filePosition;
    return !source.IsEmpty() && !destination.IsEmpty();
}

bool CIniParser::GetFirstSite(CString& site) {
    m_sitePosition = 0;
    return GetNextSite(site);
}

bool CIniParser::GetNextSite(CString& site) {
    site.Empty();
    CString entry = GetValue(kSitesTag, m_sitePosition);
    if (entry.IsEmpty()) return false;
    site = entry;
    site.Trim();
    ++m_sitePosition;
    return !site.IsEmpty();
}

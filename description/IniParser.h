// CIniParser: the setup description reader. Loads one description (a plain ".ini" file or
// an encrypted container) into one string, removes comments, expands variables, checks the
// closing [End] tag, and answers tag lookups and the walks of the file and site lists.
#pragma once

#include "framework/String.h"

class CIniParser {
public:
    CIniParser() = default;
    virtual ~CIniParser() = default;
    CIniParser(const CIniParser&) = delete;
    CIniParser& operator=(const CIniParser&) = delete;

    // Reads name (relative to the program folder, or a full path when its second character
    // is ':'); names ending in ".ini" are plain files, every other name a container. True
    // when data was read and the processed text has [End] with line 0 "End". A read that
    // gives no data leaves the previous text in place.
    bool Load(CString name);
    // True when the description text is not empty.
    bool IsLoaded() const;

    // Line `line` (from 0) of the tag's section, or empty. A missing tag shows a warning.
    CString GetValue(CString tag, int line = 0);

    // Walk "Files to download": true while the entry has a source and a destination.
    bool GetFirstFile(CString& source, CString& destination);
    bool GetNextFile(CString& source, CString& destination);
    // Walk "Download Sites": true while the entry is not blank.
    bool GetFirstSite(CString& site);
    bool GetNextSite(CString& site);

private:
    // Position just after "[tag]" in the text (letter case ignored), or -1.
    int FindTag(CString tag) const;
    // Every change of m_text goes through here: it drops what the lookups keep about it.
    void TextChanged();
    void RemoveComments();
    void ExpandVariables();
    CString VariableValue(const CString& name);
    void Decode(const unsigned char* data, int length);

    // Both readers hand back a newly allocated block (released by the caller with delete[])
    // followed by zero bytes, or leave data at nullptr when there is nothing to read.
    static void ReadPlainFile(CString path, unsigned char*& data, int& length);
    static void ReadEncryptedFile(CString path, unsigned char*& data, int& length, const char* key);

    CString m_text;
    // What lookups keep about the unchanged text, so that walking a list of n entries reads
    // the text about once instead of n times: its upper-case copy (for the tag search), and
    // the section and the line that the last GetValue found.
    mutable CString m_upperText;
    mutable bool m_upperValid = false;
    struct SectionCursor {
        int tagEnd = -1;  // FindTag's result for the section, -1 when nothing is kept
        int begin = 0;    // the section without surrounding white space: [begin, end)
        int end = 0;
        int line = 0;     // the line last asked for, and where it starts
        int lineStart = 0;
    };
    SectionCursor m_cursor;
    int m_filePosition = 0;
    int m_sitePosition = 0;
};

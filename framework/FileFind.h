// CFileFind: walks the entries that match a search pattern, MFC style: FindFile starts the
// search, each FindNextFile moves to the next entry and tells whether one more follows it.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // True when at least one entry matches; the first one becomes current at FindNextFile.
    BOOL FindFile(const wchar_t* pattern);
    // Makes the next entry current; false when it is the last one.
    BOOL FindNextFile();
    CString GetFileName() const { return CString(m_current.cFileName); }
    BOOL MatchesMask(DWORD mask) const { return (m_current.dwFileAttributes & mask) != 0; }
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    void Close();

private:
    HANDLE m_search = INVALID_HANDLE_VALUE;
    bool m_hasNext = false;
    WIN32_FIND_DATAW m_next = {};
    WIN32_FIND_DATAW m_current = {};
};

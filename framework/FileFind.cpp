// CFileFind over FindFirstFileW and FindNextFileW.
#include "framework/FileFind.h"

BOOL CFileFind::FindFile(const wchar_t* pattern) {
    Close();
    m_search = FindFirstFileW(pattern, &m_next);
    m_hasNext = m_search != INVALID_HANDLE_VALUE;
    return m_hasNext;
}

BOOL CFileFind::FindNextFile() {
    if (!m_hasNext) return FALSE;
    m_current = m_next;
    m_hasNext = ::FindNextFileW(m_search, &m_next) != FALSE;
    return m_hasNext;
}

void CFileFind::Close() {
    if (m_search != INVALID_HANDLE_VALUE) FindClose(m_search);
    m_search = INVALID_HANDLE_VALUE;
    m_hasNext = false;
}

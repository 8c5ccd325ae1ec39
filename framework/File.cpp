// CFile over CreateFileW and friends.
#include "framework/File.h"

BOOL CFile::Open(const wchar_t* path, UINT flags, void*) {
    Close();
    DWORD access = 0;
    switch (flags & 3) {
        case modeRead: access = GENERIC_READ; break;
        case modeWrite: access = GENERIC_WRITE; break;
        default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (flags & 0x70) {
        case shareDenyWrite: share = FILE_SHARE_READ; break;
        case shareDenyRead: share = FILE_SHARE_WRITE; break;
        case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
        default: share = 0; break;
    }
    if (flags & shareAllowDelete) share |= FILE_SHARE_DELETE;
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, (flags & modeNoInherit) ? FALSE : TRUE};
    m_handle = CreateFileW(path, access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_handle != INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD got = 0;
    if (!IsOpen() || !ReadFile(m_handle, buffer, count, &got, nullptr)) return 0;
    return got;
}

bool CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!IsOpen()) return false;
    return WriteFile(m_handle, buffer, count, &written, nullptr) && written == count;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(m_handle, &size)) return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::Close() {
    if (IsOpen()) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

BOOL CFile::GetStatus(const wchar_t* path, CFileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return FALSE;
    status.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_attribute = data.dwFileAttributes;
    return TRUE;
}

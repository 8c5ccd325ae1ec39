// CFile: a file handle owner with MFC-style open flags; CFileStatus: what GetStatus reports.
#pragma once

#include <windows.h>

#include "framework/String.h"

struct CFileStatus {
    ULONGLONG m_size = 0;
    DWORD m_attribute = 0;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,      // no sharing, like shareExclusive
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        shareAllowDelete = 0x0100, // others may delete or rename the file while it is open
        modeNoTruncate = 0x2000,
        modeCreate = 0x1000,
        typeBinary = 0x8000,
    };

    CFile() = default;
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens the file; false when the system refuses. The error object of MFC has no use here.
    BOOL Open(const wchar_t* path, UINT flags, void* error = nullptr);
    // Reads up to count bytes; returns how many arrived (0 at the end or on failure).
    UINT Read(void* buffer, UINT count);
    // Writes count bytes; false when the system wrote fewer (for example a full disk).
    bool Write(const void* buffer, UINT count);
    ULONGLONG GetLength() const;
    void Close();
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return m_handle; }

    // Reads a file's size and attributes by path, without opening it.
    static BOOL GetStatus(const wchar_t* path, CFileStatus& status);

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

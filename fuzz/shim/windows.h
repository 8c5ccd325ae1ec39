// Host shim for the native fuzz build: the few Win32 types, constants and calls that the
// fuzzed sources (framework strings and files, paths, the description reader, the container
// reader and the error-page test) use, implemented in ShimWindows.cpp over memory. Never
// part of the Windows build; wchar_t is 4 bytes here, and the code under test only ever
// stores 16-bit units in it.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cwchar>

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef long LONG;
typedef unsigned char BYTE;
typedef std::uint64_t ULONGLONG;
typedef std::int64_t LONGLONG;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HKEY__* HKEY;
typedef const wchar_t* LPCWSTR;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    LONGLONG QuadPart;
};

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    void* lpSecurityDescriptor;
    BOOL bInheritHandle;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard };

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define FILE_SHARE_DELETE 0x4u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_NORMAL 0x80u

#define MB_OK 0x0u
#define MB_ICONWARNING 0x30u
#define IDOK 1

#define CP_ACP 0u

#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))
#define KEY_QUERY_VALUE 0x1u
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security, DWORD disposition,
                   DWORD attributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* got, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL CloseHandle(HANDLE handle);
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, void* data);
DWORD GetTempPathW(DWORD length, wchar_t* buffer);

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, DWORD access, HKEY* result);
LONG RegQueryValueExW(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG RegCloseKey(HKEY key);

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// CP_ACP is Windows-1252 here, as in the Wine prefixes the tests run in.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int length, wchar_t* units, int capacity);
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* units, int length, char* bytes, int capacity,
                        const char* defaultChar, BOOL* usedDefault);

// The C runtime's wide formatting, with its meaning of %s and %c (wide arguments).
int _vscwprintf(const wchar_t* format, va_list args);
int _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args);

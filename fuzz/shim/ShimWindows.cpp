// The fuzz build's Win32 calls over memory: files by path, fixed folders, no registry, no
// message boxes, code page 1252 and the C runtime's wide formatting.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fuzz/shim/MemoryFiles.h"

namespace {

struct OpenFile {
    std::wstring path;
    std::size_t position = 0;
};

std::map<std::wstring, std::vector<unsigned char>> g_files;
std::map<std::intptr_t, OpenFile> g_handles;
std::intptr_t g_nextHandle = 0x100;

std::vector<unsigned char>* FileOf(HANDLE handle, OpenFile** open) {
    auto it = g_handles.find(reinterpret_cast<std::intptr_t>(handle));
    if (it == g_handles.end()) return nullptr;
    auto file = g_files.find(it->second.path);
    if (file == g_files.end()) return nullptr;
    *open = &it->second;
    return &file->second;
}

// Windows-1252: bytes 0x80 to 0x9F differ from Latin-1 (0 marks the five unassigned ones,
// which the system maps to the same code point).
const wchar_t k1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

wchar_t FromByte(unsigned char b) {
    if (b >= 0x80 && b < 0xA0 && k1252[b - 0x80]) return k1252[b - 0x80];
    return b;
}

bool ToByte(wchar_t unit, char& b) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        b = static_cast<char>(unit);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if ((k1252[i] ? k1252[i] : static_cast<wchar_t>(0x80 + i)) == unit) {
            b = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// The Microsoft runtime reads %s and %c of a wide format as wide arguments; glibc wants %ls
// and %lc for those.
std::wstring HostFormat(const wchar_t* format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out += *p;
        if (*p != L'%') continue;
        ++p;
        bool sized = false;
        while (*p && std::wcschr(L"-+ #0123456789.*hlLqjzt", *p)) {
            if (*p == L'h' || *p == L'l') sized = true;
            out += *p++;
        }
        if (!*p) break;
        if ((*p == L's' || *p == L'c') && !sized) out += L'l';
        out += *p;
    }
    return out;
}

}  // namespace

void PutMemoryFile(const std::wstring& path, const unsigned char* data, std::size_t size) {
    g_files[path].assign(data, data + size);
}

void ClearMemoryFiles() {
    if (!g_handles.empty()) {
        std::fprintf(stderr, "shim: %zu file handle(s) left open\n", g_handles.size());
        std::abort();
    }
    g_files.clear();
}

HANDLE CreateFileW(LPCWSTR path, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD disposition, DWORD, HANDLE) {
    std::wstring name(path ? path : L"");
    auto file = g_files.find(name);
    if (file == g_files.end()) {
        if (disposition == OPEN_EXISTING) return INVALID_HANDLE_VALUE;
        g_files[name];
    } else if (disposition == CREATE_ALWAYS) {
        file->second.clear();
    }
    std::intptr_t id = g_nextHandle++;
    g_handles[id] = OpenFile{name, 0};
    return reinterpret_cast<HANDLE>(id);
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* got, void*) {
    OpenFile* open = nullptr;
    std::vector<unsigned char>* file = FileOf(handle, &open);
    if (!file) return FALSE;
    std::size_t n = open->position < file->size() ? file->size() - open->position : 0;
    if (n > count) n = count;
    if (n) std::memcpy(buffer, file->data() + open->position, n);
    open->position += n;
    if (got) *got = static_cast<DWORD>(n);
    return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void*) {
    OpenFile* open = nullptr;
    std::vector<unsigned char>* file = FileOf(handle, &open);
    if (!file) return FALSE;
    if (file->size() < open->position + count) file->resize(open->position + count);
    if (count) std::memcpy(file->data() + open->position, buffer, count);
    open->position += count;
    if (written) *written = count;
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
    OpenFile* open = nullptr;
    std::vector<unsigned char>* file = FileOf(handle, &open);
    if (!file) return FALSE;
    size->QuadPart = static_cast<LONGLONG>(file->size());
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) { return g_handles.erase(reinterpret_cast<std::intptr_t>(handle)) ? TRUE : FALSE; }

BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS, void* data) {
    auto file = g_files.find(path ? path : L"");
    if (file == g_files.end()) return FALSE;
    auto* info = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(data);
    *info = {};
    info->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    info->nFileSizeLow = static_cast<DWORD>(file->second.size());
    info->nFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(file->second.size()) >> 32);
    return TRUE;
}

DWORD GetTempPathW(DWORD length, wchar_t* buffer) {
    const wchar_t temp[] = L"C:\\users\\fuzz\\Temp\\";
    DWORD needed = static_cast<DWORD>(std::wcslen(temp));
    if (length <= needed) return needed + 1;
    std::wcscpy(buffer, temp);
    return needed;
}

BOOL SHGetSpecialFolderPathW(HWND, wchar_t* path, int csidl, BOOL) {
    const wchar_t* folder = nullptr;
    switch (csidl) {
        case CSIDL_PROGRAMS: folder = L"C:\\users\\fuzz\\Start Menu\\Programs"; break;
        case CSIDL_PERSONAL: folder = L"C:\\users\\fuzz\\Documents"; break;
        case CSIDL_DESKTOPDIRECTORY: folder = L"C:\\users\\fuzz\\Desktop"; break;
        default: return FALSE;
    }
    std::wcscpy(path, folder);
    return TRUE;
}

LONG RegOpenKeyExW(HKEY, LPCWSTR, DWORD, DWORD, HKEY*) { return ERROR_FILE_NOT_FOUND; }
LONG RegQueryValueExW(HKEY, LPCWSTR, DWORD*, DWORD*, BYTE*, DWORD*) { return ERROR_FILE_NOT_FOUND; }
LONG RegCloseKey(HKEY) { return ERROR_SUCCESS; }

int MessageBoxW(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }

int MultiByteToWideChar(UINT, DWORD, const char* bytes, int length, wchar_t* units, int capacity) {
    if (length < 0) length = static_cast<int>(std::strlen(bytes)) + 1;
    if (capacity == 0) return length;
    if (capacity < length) return 0;
    for (int i = 0; i < length; ++i) units[i] = FromByte(static_cast<unsigned char>(bytes[i]));
    return length;
}

int WideCharToMultiByte(UINT, DWORD, const wchar_t* units, int length, char* bytes, int capacity, const char* defaultChar,
                        BOOL* usedDefault) {
    if (length < 0) length = static_cast<int>(std::wcslen(units)) + 1;
    if (usedDefault) *usedDefault = FALSE;
    if (capacity == 0) return length;
    int n = length < capacity ? length : capacity;
    for (int i = 0; i < n; ++i) {
        char b;
        if (!ToByte(units[i], b)) {
            b = defaultChar ? *defaultChar : '?';
            if (usedDefault) *usedDefault = TRUE;
        }
        bytes[i] = b;
    }
    return n;
}

int _vscwprintf(const wchar_t* format, va_list args) {
    std::wstring host = HostFormat(format);
    // vswprintf cannot measure: grow a buffer until the text fits.
    for (std::size_t size = 256; size <= (1u << 24); size *= 2) {
        std::vector<wchar_t> buffer(size);
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buffer.data(), size, host.c_str(), copy);
        va_end(copy);
        if (n >= 0) return n;
    }
    return -1;
}

int _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args) {
    std::wstring host = HostFormat(format);
    return std::vswprintf(buffer, count, host.c_str(), args);
}

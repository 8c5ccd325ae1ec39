// Program folder, path splitting and special folders over the registry, kernel and shell.
#include "fs/Paths.h"

#include <shlobj.h>

namespace {

CString g_programFolder;

const wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";
const wchar_t kProgramFilesValue[] = L"ProgramFilesDir";

CString ShellFolder(int csidl, BOOL create) {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, create)) return CString();
    return RemoveTrailingBackslash(buffer);
}

}  // namespace

CString RemoveTrailingBackslash(CString folder) {
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == L'\\') folder = folder.Left(folder.GetLength() - 1);
    return folder;
}

void SetProgramFolder(CString path) {
    path.MakeLower();
    int last = path.ReverseFind(L'\\');
    g_programFolder = last < 0 ? CString(L"\\") : path.Left(last + 1);
}

CString GetProgramFolder() { return g_programFolder; }

void SplitPath(CString path, CString& folder, CString& name) {
    path.Replace(L'/', L'\\');
    int last = path.ReverseFind(L'\\');
    if (last < 0) {
        folder.Empty();
        name = path;
    } else {
        folder = path.Left(last + 1);
        name = path.Mid(last + 1);
    }
}

CString GetProgramFilesFolder() {
    CString text;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        wchar_t buffer[260] = {};
        DWORD size = sizeof buffer;
        if (RegQueryValueExW(key, kProgramFilesValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS) {
            // The value need not be terminated within the buffer.
            text = CString(buffer, static_cast<int>(wcsnlen(buffer, size / sizeof(wchar_t))));
        }
        RegCloseKey(key);
    }
    return RemoveTrailingBackslash(text);
}

CString GetTempFolder() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) return CString();
    return RemoveTrailingBackslash(buffer);
}

CString GetDesktopFolder() { return ShellFolder(CSIDL_DESKTOPDIRECTORY, FALSE); }
CString GetMyDocumentsFolder() { return ShellFolder(CSIDL_PERSONAL, FALSE); }
CString GetStartMenuFolder() { return ShellFolder(CSIDL_PROGRAMS, TRUE); }

// File and folder operations over the kernel's file calls.
#include "fs/FileOps.h"

#include <windows.h>

#include "fs/Clock.h"

namespace {

// Errors that mean the file, or a folder on its way, is not there at all.
bool IsNotThere(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NO_MORE_FILES:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return true;
        default:
            return false;
    }
}

void MakeNormal(const CString& path) { SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL); }

constexpr int kRemoveAttempts = 3;
constexpr DWORD kRemovePauseMs = 1000;

}  // namespace

CString JoinIfMissing(const CString& folder, const CString& name) {
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool FileExists(CString path) {
    wchar_t full[MAX_PATH] = {};
    wchar_t* filePart = nullptr;
    DWORD length = GetFullPathNameW(path, MAX_PATH, full, &filePart);
    if (length == 0 || length >= MAX_PATH) return false;

    // The volume information of the path's root tells that the drive or share is there.
    CString root(full);
    if (root.Left(2) == L"\\\\") {
        int share = root.Find(L'\\', 2);
        int end = share < 0 ? -1 : root.Find(L'\\', share + 1);
        root = end < 0 ? root + L"\\" : root.Left(end + 1);
    } else {
        root = root.Left(3);
    }
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) return false;

    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(path, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool RenameFileIn(CString folder, CString oldName, CString newName) {
    CString oldPath = JoinIfMissing(folder, oldName);
    CString newPath = JoinIfMissing(folder, newName);
    MakeNormal(oldPath);
    return MoveFileW(oldPath, newPath) != FALSE;
}

bool DeleteFileIn(CString folder, CString name) {
    CString path = JoinIfMissing(folder, name);
    if (DeleteFileW(path)) return true;
    if (IsNotThere(GetLastError())) return true;
    MakeNormal(path);
    return DeleteFileW(path) != FALSE;
}

bool CreateFolderPath(CString path) {
    int i = path.Find(L'\\');
    if (i < 0) return true;
    if (i == 0) i = path.Find(L'\\', path.GetLength() > 1 && path[1] == L'\\' ? 3 : 1);
    for (;;) {
        int j = path.Find(L'\\', i + 1);
        if (j < 0) j = path.GetLength();
        CString level = path.Left(j);
        if (!CreateDirectoryW(level, nullptr)) {
            // A level that is already there counts only when it is a folder, not a file.
            if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
            DWORD attributes = GetFileAttributesW(level);
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        }
        if (j >= path.GetLength()) return true;
        i = j;
    }
}

bool DeleteFolder(CString path) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(path + L"\\*.*", &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileIn(path, data.cFileName);
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    for (int attempt = 1;; ++attempt) {
        if (RemoveDirectoryW(path)) return true;
        if (attempt == kRemoveAttempts) return false;
        g_clock.sleep(kRemovePauseMs);
    }
}

bool CopyFileTo(CString source, CString folder) {
    CString name = source.Mid(source.ReverseFind(L'\\') + 1);
    CString target = folder + L"\\" + name;
    MakeNormal(target);
    return CopyFileW(source, target, FALSE) != FALSE;
}

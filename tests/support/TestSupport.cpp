// Test helpers.
#include "tests/support/TestSupport.h"

#include "framework/MessageBox.h"

namespace testing_support {

namespace {
std::vector<RecordedBox> g_boxes;
MessageBoxHandler g_previous = nullptr;

int RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    g_boxes.push_back({CString(text), CString(caption), type, owner});
    return IDOK;
}
}  // namespace

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    CString name;
    name.Format(L"%lsunit-%lu-%lu-%ld", temp, GetCurrentProcessId(), GetTickCount(), InterlockedIncrement(&counter));
    m_path = name;
    RemoveTree(m_path);
    CreateDirectoryW(m_path, nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

void RemoveTree(const CString& path) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(path + L"\\*", &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            CString name(data.cFileName);
            if (name == L"." || name == L"..") continue;
            CString child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child, FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child);
            }
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path);
}

bool WriteBytes(const CString& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const CString& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool IsFolder(const CString& path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD Attributes(const CString& path) { return GetFileAttributesW(path); }

std::string Narrow(const CString& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), &out[0], n, nullptr, nullptr);
    return out;
}

MessageBoxRecorder::MessageBoxRecorder() {
    g_boxes.clear();
    g_previous = SetMessageBoxHandler(&RecordBox);
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler(g_previous); }

const std::vector<RecordedBox>& MessageBoxRecorder::Boxes() const { return g_boxes; }

void MessageBoxRecorder::Clear() { g_boxes.clear(); }

CString TestDataFolder() {
    wchar_t buffer[MAX_PATH * 2] = {};
    GetEnvironmentVariableW(L"SETUP_TEST_DATA", buffer, MAX_PATH * 2);
    // The variable holds a Unix path; Wine maps the root file system to drive Z:.
    CString path(buffer);
    if (!path.IsEmpty() && path[0] == L'/') {
        path.Replace(L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

}  // namespace testing_support

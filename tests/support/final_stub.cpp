// The final-setup stub: the program a test description names as "Program to run". It
// records what a real final setup would find: its current folder, its command line, the
// files around it and the user info file, then stays alive as long as it is told.
//
// Environment: SETUP_STUB_REPORT  file to write the report to (JSON)
//              SETUP_STUB_USERINFO name of the user info file in the current folder
//              SETUP_STUB_SLEEP_MS how long to stay alive (default 0)
//              SETUP_STUB_HOLD     name of a file to create in the current folder and keep
//                                  open without sharing after the stub has ended, for
//                                  SETUP_STUB_HOLD_MS (default 10000), by a holder process
//                                  (the stub itself, started as "final_stub.exe --hold")
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[4096] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Json(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// The bytes of a file, each as a character 0..255 (so the report shows them exactly).
std::string ReadAll(const std::wstring& path, bool& found) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    found = file != INVALID_HANDLE_VALUE;
    if (!found) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

}  // namespace

// Creates the file, opened without sharing and inheritable, and starts a holder process
// that inherits the handle and sleeps: the file stays open after this process has ended.
void StartHolder(const std::wstring& name) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::wstring ms = Env(L"SETUP_STUB_HOLD_MS");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --hold " + (ms.empty() ? L"10000" : ms);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(file);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && std::wstring(argv[1]) == L"--hold") {
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));  // holds the inherited handle meanwhile
        return 0;
    }
    std::wstring hold = Env(L"SETUP_STUB_HOLD");
    if (!hold.empty()) StartHolder(hold);

    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string report = "{\"cwd\":" + Json(Utf8(cwd)) + ",\"cmdline\":" + Json(Utf8(GetCommandLineW()));

    report += ",\"files\":[";
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(L"*", &data);
    bool first = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            report += (first ? "" : ",") + Json(Utf8(data.cFileName));
            first = false;
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    report += "]";

    std::wstring userInfo = Env(L"SETUP_STUB_USERINFO");
    if (!userInfo.empty()) {
        bool found = false;
        std::string bytes = ReadAll(userInfo, found);
        report += ",\"userinfo\":" + (found ? Json(bytes) : std::string("null"));
    }
    report += "}\n";

    std::wstring reportPath = Env(L"SETUP_STUB_REPORT");
    if (!reportPath.empty()) {
        HANDLE out = CreateFileW(reportPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(out, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
            CloseHandle(out);
        }
    }
    std::wstring sleepMs = Env(L"SETUP_STUB_SLEEP_MS");
    if (!sleepMs.empty()) Sleep(static_cast<DWORD>(_wtoi(sleepMs.c_str())));
    return 7;
}

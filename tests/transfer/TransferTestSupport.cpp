// Shared pieces of the transfer tests.
#include "tests/transfer/TransferTestSupport.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tests/support/TestSupport.h"
#include "transfer/Progress.h"

namespace transfer_testing {

namespace {

CString WindowsPath(std::string unixPath) {
    CString path(unixPath.c_str());
    if (!path.IsEmpty() && path[0] == L'/') {
        path.Replace(L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

Servers LoadServers() {
    Servers servers;
    // CTest runs the tests in their build folder, where the fixture keeps servers/; the
    // variable names another servers.env when the program is run by hand.
    const char* file = std::getenv("SETUP_TRANSFER_SERVERS");
    std::string text = testing_support::ReadBytes(file ? WindowsPath(file) : CString(L"servers\\servers.env"));
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "SCRIPTED_PORT") servers.scripted = std::atoi(value.c_str());
        if (key == "NGINX_PORT") servers.nginx = std::atoi(value.c_str());
        if (key == "CLOSED_PORT") servers.closed = std::atoi(value.c_str());
        if (key == "DOCROOT") servers.docroot = WindowsPath(value);
        if (key == "FULL_DIR") servers.fullFolder = WindowsPath(value);
    }
    servers.ok = servers.scripted > 0 && servers.nginx > 0;
    return servers;
}

// The scripted server's answer to GET path, read with a session of the test's own.
std::string Fetch(const std::string& path) {
    std::string body;
    HINTERNET session = InternetOpenW(L"transfer-tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!session) return body;
    HINTERNET request = InternetOpenUrlW(session, ScriptedUrl(path), nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (request) {
        char buffer[4096];
        DWORD got = 0;
        while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) body.append(buffer, got);
        InternetCloseHandle(request);
    }
    InternetCloseHandle(session);
    return body;
}

}  // namespace

const Servers& GetServers() {
    static Servers servers = LoadServers();
    return servers;
}

CString ScriptedUrl(const std::string& pathAndQuery) {
    return CString(("http://127.0.0.1:" + std::to_string(GetServers().scripted) + pathAndQuery).c_str());
}

CString NginxUrl(const std::string& path) {
    return CString(("http://127.0.0.1:" + std::to_string(GetServers().nginx) + path).c_str());
}

std::string Request::Header(const std::string& name) const {
    for (const auto& header : headers)
        if (header.first == name) return header.second;
    return std::string();
}

std::vector<Request> RequestsWithPrefix(const std::string& prefix) {
    // One request a line: time, method, path, then "name: value" per header, tab-separated.
    std::string text = Fetch("/_requests?format=lines&prefix=" + UrlEncode(prefix));
    std::vector<Request> requests;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() < 3) continue;
        Request request;
        request.time = std::atof(fields[0].c_str());
        request.method = fields[1];
        request.path = fields[2];
        for (size_t i = 3; i < fields.size(); ++i) {
            size_t colon = fields[i].find(": ");
            if (colon != std::string::npos)
                request.headers.emplace_back(fields[i].substr(0, colon), fields[i].substr(colon + 2));
        }
        requests.push_back(request);
    }
    return requests;
}

std::string TestPrefix() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    // Runs of the same test (a rerun, the other build) must not see each other's requests.
    return "/t/" + name + "." + std::to_string(GetTickCount()) + "." + std::to_string(GetCurrentProcessId()) + "/";
}

namespace {
void FakeSleep(DWORD milliseconds) {
    FakeClock::Sleeps().push_back(milliseconds);
    FakeClock::Ticks() += milliseconds;
}
DWORD FakeTicks() { return FakeClock::Ticks(); }
}  // namespace

FakeClock::FakeClock(DWORD startTicks) : m_saved(g_clock) {
    Sleeps().clear();
    Ticks() = startTicks;
    g_clock.sleep = &FakeSleep;
    g_clock.tickCount = &FakeTicks;
}

FakeClock::~FakeClock() { g_clock = m_saved; }

std::vector<DWORD>& FakeClock::Sleeps() {
    static std::vector<DWORD> sleeps;
    return sleeps;
}

DWORD& FakeClock::Ticks() {
    static DWORD ticks = 0;
    return ticks;
}

size_t FakeClock::Count(DWORD milliseconds) {
    size_t count = 0;
    for (DWORD s : Sleeps()) count += s == milliseconds;
    return count;
}

namespace {
const wchar_t kRecorderClass[] = L"TransferTestProgressRecorder";
}

ProgressRecorder::ProgressRecorder() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ProgressRecorder::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kRecorderClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    m_window = CreateWindowExW(0, kRecorderClass, L"progress", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), this);
}

ProgressRecorder::~ProgressRecorder() {
    if (m_window) DestroyWindow(m_window);
}

LRESULT CALLBACK ProgressRecorder::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_SETUP_PROGRESS && self) {
        self->m_messages.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

unsigned long long ProgressRecorder::BytesReported() const {
    unsigned long long sum = 0;
    for (const Progress& p : m_messages) sum += p.bytes;
    return sum;
}

size_t ProgressRecorder::AttemptEnds() const {
    size_t count = 0;
    for (const Progress& p : m_messages) count += p.bytes == 0;
    return count;
}

std::string Filler(size_t offset, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += static_cast<char>('a' + (offset + i) % 26);
    return text;
}

std::string UrlEncode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace transfer_testing

// What the transfer tests share: the servers the fixture started, the requests they saw,
// a clock whose pauses pass in no time, and a real window that records progress messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/String.h"
#include "fs/Clock.h"

namespace transfer_testing {

// The loopback servers of the fixture: servers\\servers.env below the current folder, or the
// file that SETUP_TRANSFER_SERVERS names.
struct Servers {
    int scripted = 0;    // the scripted server's port
    int nginx = 0;       // nginx's port
    int closed = 0;      // a loopback port without a listener
    CString docroot;     // nginx's document root, as a Windows path
    CString fullFolder;  // holds "full.bin", where every write fails as on a full volume
    bool ok = false;
};
const Servers& GetServers();

// http://127.0.0.1:<scripted port><pathAndQuery>
CString ScriptedUrl(const std::string& pathAndQuery);
CString NginxUrl(const std::string& path);

// A request as the scripted server recorded it.
struct Request {
    double time = 0;
    std::string method, path;
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
    std::string Header(const std::string& name) const;
};
// Every recorded request whose path starts with prefix, oldest first.
std::vector<Request> RequestsWithPrefix(const std::string& prefix);

// A unique path prefix for the current test, "/t/<suite>.<test>/", so requests of parallel
// tests and earlier runs are told apart.
std::string TestPrefix();

// Pauses only advance a tick counter; records the length of every pause.
class FakeClock {
public:
    explicit FakeClock(DWORD startTicks = 100000);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
    static std::vector<DWORD>& Sleeps();
    static DWORD& Ticks();
    // The pauses of a given length.
    static size_t Count(DWORD milliseconds);

private:
    Clock m_saved;
};

// A hidden top-level window whose procedure records every WM_SETUP_PROGRESS.
struct Progress {
    WPARAM bytes;
    LPARAM total;
};
class ProgressRecorder {
public:
    ProgressRecorder();
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;
    HWND Window() const { return m_window; }
    const std::vector<Progress>& Messages() const { return m_messages; }
    // Sum of wParam over all messages.
    unsigned long long BytesReported() const;
    // Messages with wParam 0 (the end of an attempt).
    size_t AttemptEnds() const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_window = nullptr;
    std::vector<Progress> m_messages;
};

// The filler bytes the scripted server sends by default: 'a' + offset % 26.
std::string Filler(size_t offset, size_t count);

// Percent-encodes text for a query value.
std::string UrlEncode(const std::string& text);

}  // namespace transfer_testing

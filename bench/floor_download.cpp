// The network floor of the download benchmarks: the least a program must do to fetch the
// bootstrapper's files with the same WinINet settings. One size probe per file (a session of
// its own, Content-Length, no body), then every file downloaded in a session of its own with
// reads of the given size, each read written to the file before the next. No window, no
// retries, no checks beyond counting what failed.
//
//   bench_floor_download.exe READ_BYTES TARGET_FOLDER URL...
//
// Exit code: 0 when every probe announced a size and every download ended, else 1.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "transfer/Internet.h"

namespace {

DWORD Probe(const wchar_t* url) {
    HINTERNET session = InternetOpenW(kUserAgent, kInternetAccessType, nullptr, nullptr, kInternetSessionFlags);
    if (!session) return 0;
    DWORD length = 0;
    HINTERNET request = InternetOpenUrlW(session, url, nullptr, 0, kInternetUrlFlags, 0);
    if (request) {
        DWORD size = sizeof length;
        DWORD index = 0;
        if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, &index))
            length = 0;
        InternetCloseHandle(request);
    }
    InternetCloseHandle(session);
    return length;
}

bool Fetch(const wchar_t* url, const std::wstring& target, std::vector<char>& buffer) {
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    HINTERNET session = InternetOpenW(kUserAgent, kInternetAccessType, nullptr, nullptr, kInternetSessionFlags);
    if (session) {
        HINTERNET request = InternetOpenUrlW(session, url, nullptr, 0, kInternetUrlFlags, 0);
        if (request) {
            for (;;) {
                DWORD got = 0;
                if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) break;
                if (got == 0) {
                    ok = true;
                    break;
                }
                DWORD written = 0;
                if (!WriteFile(file, buffer.data(), got, &written, nullptr) || written != got) break;
            }
            InternetCloseHandle(request);
        }
        InternetCloseHandle(session);
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    std::vector<char> buffer(static_cast<size_t>(_wtoi(argv[1])));
    if (buffer.empty()) return 2;
    std::wstring folder = argv[2];
    int failures = 0;
    for (int i = 3; i < argc; ++i)
        if (Probe(argv[i]) == 0) ++failures;
    for (int i = 3; i < argc; ++i) {
        std::wstring url = argv[i];
        std::wstring name = url.substr(url.find_last_of(L'/') + 1);
        if (!Fetch(argv[i], folder + L"\\" + name, buffer)) ++failures;
    }
    return failures == 0 ? 0 : 1;
}

// The program's whole use of the Windows Internet client: the fixed connection settings,
// an owner for Internet handles, and the size probes built on them.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "framework/String.h"

// Connection settings, the same for every session and every URL the program opens.
extern const wchar_t* const kUserAgent;  // "Quillmoor's Downloader"
// The system's configured proxy, without automatic proxy discovery.
constexpr DWORD kInternetAccessType = INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;  // 4
constexpr DWORD kInternetSessionFlags = 0;  // blocking calls
// Always fetch from the server: neither use nor fill a cache, and ask proxies not to either.
constexpr DWORD kInternetUrlFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                    INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kInternetUrlFlags == 0x84000500, "URL open flags");

// Owns one HINTERNET and closes it (its result unexamined) when it goes or is closed.
class CInternetHandle {
public:
    CInternetHandle() = default;
    explicit CInternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~CInternetHandle() { Close(); }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;

    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Close();

private:
    HINTERNET m_handle = nullptr;
};

// A new Internet session with the connection settings; null handle on failure.
HINTERNET OpenInternetSession();
// Opens url in session with the URL flags, no extra headers and context 0; null on failure.
HINTERNET OpenInternetUrl(HINTERNET session, const CString& url);

// The Content-Length of the request's response as an unsigned 32-bit number; 0 for a null
// handle (no call is made), a missing header or one that is not a number.
DWORD GetContentLength(HINTERNET request);

// The Content-Length the server announces for url, read from the response headers in a
// session of its own without reading the body; 0 when anything fails. The HTTP status is not
// looked at, so an error page with a length gives that length. No connection-state test.
DWORD GetRemoteFileSize(CString url);

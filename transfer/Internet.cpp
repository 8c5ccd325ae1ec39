// Connection settings, Internet handle owner and the size probes.
#include "transfer/Internet.h"

const wchar_t* const kUserAgent = L"Quillmoor's Downloader";

void CInternetHandle::Close() {
    if (m_handle) InternetCloseHandle(m_handle);
    m_handle = nullptr;
}

HINTERNET OpenInternetSession() {
    return InternetOpenW(kUserAgent, kInternetAccessType, nullptr, nullptr, kInternetSessionFlags);
}

HINTERNET OpenInternetUrl(HINTERNET session, const CString& url) {
    return InternetOpenUrlW(session, url, nullptr, 0, kInternetUrlFlags, 0);
}

DWORD GetContentLength(HINTERNET request) {
    if (!request) return 0;
    DWORD length = 0;
    DWORD size = sizeof length;
    DWORD index = 0;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, &index))
        return 0;
    return length;
}

DWORD GetRemoteFileSize(CString url) {
    // Declared session first, so the request is closed before it.
    CInternetHandle session(OpenInternetSession());
    if (!session) return 0;
    CInternetHandle request(OpenInternetUrl(session.Get(), url));
    DWORD result = GetContentLength(request.Get());
    request.Close();
    session.Close();
    return result;
}

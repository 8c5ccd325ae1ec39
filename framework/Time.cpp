// CTime formatting.
#include "framework/Time.h"

#include <cwchar>

CString CTime::FormatGmt(const wchar_t* format) const {
    time_t t = m_time;
    struct tm* parts = gmtime(&t);
    if (!parts) return CString();
    wchar_t buffer[256];
    size_t n = wcsftime(buffer, 256, format, parts);
    return CString(buffer, static_cast<int>(n));
}

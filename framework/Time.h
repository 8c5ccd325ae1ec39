// CTime: a point in time in whole seconds, with UTC formatting.
#pragma once

#include <ctime>

#include "framework/String.h"

// windows.h maps GetCurrentTime to GetTickCount; the name belongs to CTime here.
#undef GetCurrentTime

class CTime {
public:
    CTime() = default;
    explicit CTime(time_t t) : m_time(t) {}
    static CTime GetCurrentTime() { return CTime(::time(nullptr)); }
    // Formats the time as Coordinated Universal Time with strftime's conversions.
    CString FormatGmt(const wchar_t* format) const;
    time_t GetTime() const { return m_time; }

private:
    time_t m_time = 0;
};

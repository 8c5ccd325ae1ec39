// Recognising a server's "404" error page in the read buffer of a download.
#pragma once

#include <windows.h>

// The bytes one read of a download delivers at most; the error-page test looks at no more.
constexpr DWORD kReadBufferSize = 1024;

// True when the read buffer, taken as ANSI text up to its first zero byte and never beyond
// its end, has one title element whose text contains "404". A download clears its buffer
// only once per attempt, so bytes of an earlier, longer read can follow the latest read's
// and count too.
bool IsErrorPage(const char (&readBuffer)[kReadBufferSize]);

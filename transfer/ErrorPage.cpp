// Error-page test over the read buffer.
#include "transfer/ErrorPage.h"

#include "framework/String.h"
#include "transfer/Downloader.h"

namespace {
const wchar_t* const kErrorPageTag = L"TITLE";
const wchar_t* const kErrorPageMark = L"404";  // a title containing it marks a missing file
}  // namespace

bool IsErrorPage(const char (&readBuffer)[kReadBufferSize]) {
    int length = 0;
    while (length < static_cast<int>(kReadBufferSize) && readBuffer[length] != 0) ++length;
    CString text = CString::FromAnsi(readBuffer, length);
    return CDownloader::GetTextBetweenTags(text, kErrorPageTag).Find(kErrorPageMark) >= 0;
}

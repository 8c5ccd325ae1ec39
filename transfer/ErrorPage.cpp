// Error-page test over the read buffer, and the title lookup it rests on. Neither touches
// the network or the disk, so the fuzz build (fuzz/) compiles this file as it is.
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

CString CDownloader::GetTextBetweenTags(CString text, CString tag) {
    text.MakeUpper();
    tag.MakeUpper();
    CString opening, closing;
    opening.Format(L"<%s>", tag.GetString());
    closing.Format(L"</%s>", tag.GetString());

    const int open = text.Find(opening);
    if (open < 0 || text.Find(opening, open + 1) >= 0) return CString();
    const int close = text.Find(closing);
    if (close < 0 || text.Find(closing, close + 1) >= 0) return CString();
    const int begin = open + opening.GetLength();
    if (close < begin) return CString();
    return text.Mid(begin, close - begin);
}

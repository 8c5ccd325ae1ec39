// Fuzz target: the title lookup of the error-page test. The input's first byte chooses how
// many of the following bytes form the tag name; the rest is the text, both taken as ANSI as
// a download's read buffer is. The first 1024 bytes also go through the error-page test
// itself, in the read buffer as a download fills it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "transfer/Downloader.h"
#include "transfer/ErrorPage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t tagLength = data[0] % 16;
    if (tagLength > size - 1) tagLength = size - 1;
    const char* tag = reinterpret_cast<const char*>(data + 1);
    const char* text = tag + tagLength;
    const std::size_t textLength = size - 1 - tagLength;
    CDownloader::GetTextBetweenTags(CString::FromAnsi(text, static_cast<int>(textLength)),
                                    CString::FromAnsi(tag, static_cast<int>(tagLength)));

    char buffer[kReadBufferSize] = {};
    std::memcpy(buffer, text, textLength < kReadBufferSize ? textLength : kReadBufferSize);
    IsErrorPage(buffer);
    return 0;
}

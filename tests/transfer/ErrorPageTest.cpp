// The error-page test on read buffers as a download fills them: cleared once per attempt,
// each read copied over the start of what the earlier reads left.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/transfer/TransferTestSupport.h"
#include "transfer/ErrorPage.h"

using transfer_testing::Filler;

namespace {

// A cleared buffer that receives reads the way InternetReadFile fills it.
struct ReadBuffer {
    char bytes[kReadBufferSize] = {};
    bool Read(const std::string& data) {
        std::memcpy(bytes, data.data(), data.size());
        return IsErrorPage(bytes);
    }
};

const std::string kTitle = "<title>404 Not Found</title>";

}  // namespace

TEST(IsErrorPage, SecondReadIsJudgedWithTheFirstReadsStaleBytes) {
    // 600 bytes with the title at their end, then 300 bytes: the second read sees its own
    // bytes followed by bytes 300 to 599 of the first, title included.
    ReadBuffer atEnd;
    EXPECT_TRUE(atEnd.Read(Filler(0, 600 - kTitle.size()) + kTitle));
    EXPECT_TRUE(atEnd.Read(Filler(600, 300)));

    // The title at the start of the first read is overwritten by the second.
    ReadBuffer atStart;
    EXPECT_TRUE(atStart.Read(kTitle + Filler(kTitle.size(), 600 - kTitle.size())));
    EXPECT_FALSE(atStart.Read(Filler(600, 300)));

    // A second opening mark from the stale bytes makes the title ambiguous.
    ReadBuffer twice;
    EXPECT_FALSE(twice.Read(Filler(0, 400) + "<title>ok</title>" + Filler(0, 100)));
    EXPECT_FALSE(twice.Read("<title>404</title>"));
}

TEST(IsErrorPage, LooksAtNoMoreThanTheBuffer) {
    // A full buffer with no zero byte: the text ends with the buffer, so a closing mark
    // right behind it in memory must not be found.
    struct {
        char buffer[kReadBufferSize];
        char behind[16];
    } block;
    std::string head = Filler(0, kReadBufferSize - 10) + "<title>404";
    std::memcpy(block.buffer, head.data(), kReadBufferSize);
    std::memcpy(block.behind, "</title>", 9);
    EXPECT_FALSE(IsErrorPage(block.buffer));

    std::string whole = Filler(0, kReadBufferSize - kTitle.size()) + kTitle;
    std::memcpy(block.buffer, whole.data(), kReadBufferSize);
    EXPECT_TRUE(IsErrorPage(block.buffer));
}

TEST(IsErrorPage, StopsAtTheFirstZeroByte) {
    ReadBuffer buffer;
    std::string data = "<html>" + std::string(1, '\0') + kTitle;
    EXPECT_FALSE(buffer.Read(data));
    EXPECT_TRUE(buffer.Read(kTitle));
}

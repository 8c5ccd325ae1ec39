// Size probes and the connection test against the loopback servers.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/transfer/TransferTestSupport.h"
#include "transfer/Connection.h"
#include "transfer/Internet.h"

using namespace transfer_testing;

#define REQUIRE_SERVERS() \
    if (!GetServers().ok) GTEST_SKIP() << "servers.env missing: run through CTest (fixture transfer_servers)"

TEST(GetContentLength, NullRequestGivesZero) { EXPECT_EQ(GetContentLength(nullptr), 0u); }

TEST(GetRemoteFileSize, AnnouncedLengthOrZero) {
    REQUIRE_SERVERS();
    const std::string p = TestPrefix();
    const std::string page = UrlEncode("<html><title>404 Not Found</title></html>");
    struct Case {
        const char* what;
        CString url;
        DWORD expected;
    } cases[] = {
        {"scripted body", ScriptedUrl(p + "a?size=1234"), 1234},
        {"scripted 404 page of 1200 bytes", ScriptedUrl(p + "b?status=404&size=1200&html=" + page), 1200},
        {"Content-Length 0", ScriptedUrl(p + "c?size=0"), 0},
        {"chunked body", ScriptedUrl(p + "d?chunked=1&size=500"), 0},
        {"no Content-Length, body up to the close", ScriptedUrl(p + "e?cl=none&size=500"), 0},
        {"Content-Length not a number", ScriptedUrl(p + "f?cl=abc&size=3"), 0},
        {"announced length, not the body's", ScriptedUrl(p + "g?cl=4000000000&size=10"), 4000000000u},
        {"nginx file", NginxUrl("/small.bin"), 4321},
        {"nginx empty file", NginxUrl("/empty.bin"), 0},
        {"nginx 404 page with its Content-Length", NginxUrl("/no-such-file.bin"), 1200},
        {"unresolvable host", L"http://no-such-host.invalid/file.bin", 0},
        {"refused connection", CString(("http://127.0.0.1:" + std::to_string(GetServers().closed) + "/x").c_str()), 0},
        {"not a URL", L"no url at all", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(GetRemoteFileSize(c.url), c.expected) << c.what;
}

TEST(GetRemoteFileSize, SendsUserAgentBypassesCachesAndReadsNoBody) {
    REQUIRE_SERVERS();
    const std::string p = TestPrefix();
    EXPECT_EQ(GetRemoteFileSize(ScriptedUrl(p + "same?size=777")), 777u);
    EXPECT_EQ(GetRemoteFileSize(ScriptedUrl(p + "same?size=777")), 777u);
    auto requests = RequestsWithPrefix(p);
    ASSERT_EQ(requests.size(), 2u) << "each probe reaches the server";
    for (const Request& r : requests) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.Header("user-agent"), "Quillmoor's Downloader");
        EXPECT_EQ(r.Header("pragma"), "no-cache");
    }
}

TEST(GetRemoteFileSize, MeasuresAChangedFileAnew) {
    REQUIRE_SERVERS();
    const CString path = GetServers().docroot + L"\\changing.bin";
    ASSERT_TRUE(testing_support::WriteBytes(path, std::string(100, 'x')));
    EXPECT_EQ(GetRemoteFileSize(NginxUrl("/changing.bin")), 100u);
    ASSERT_TRUE(testing_support::WriteBytes(path, std::string(250, 'y')));
    EXPECT_EQ(GetRemoteFileSize(NginxUrl("/changing.bin")), 250u);
    DeleteFileW(path);
}

namespace {
bool NotConnected() { return false; }
}  // namespace

TEST(IsInternetConnected, AsksTheSystemThroughItsSeam) {
    EXPECT_TRUE(IsInternetConnected());  // Wine reports a connection
    auto saved = g_connectedStateProbe;
    g_connectedStateProbe = &NotConnected;
    EXPECT_FALSE(IsInternetConnected());
    g_connectedStateProbe = saved;
}

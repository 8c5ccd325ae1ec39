// Downloads from the loopback servers into real files: retries, backups, error pages,
// progress messages, the completion wait and write failures.
#include <gtest/gtest.h>

#include "fs/FileOps.h"
#include "tests/support/TestSupport.h"
#include "tests/transfer/TransferTestSupport.h"
#include "transfer/Connection.h"
#include "transfer/Downloader.h"

using namespace testing_support;
using namespace transfer_testing;

#define REQUIRE_SERVERS() \
    if (!GetServers().ok) GTEST_SKIP() << "servers.env missing: run through CTest (fixture transfer_servers)"

namespace {

const wchar_t kBackup[] = L" Before Download";
const std::string kPage404 = "<html><head><title>404 Not Found</title></head><body>Gone</body></html>";

bool Exists(const CString& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

// One attempt as its progress messages show it.
struct Attempt {
    unsigned long long reported = 0;  // sum of wParam
    long long total = 0;              // lParam of the attempt's last message
};

// Splits the messages at the wParam-0 messages that end every attempt, checking that each
// attempt counts from 0 and that lParam is its running total.
std::vector<Attempt> Attempts(const ProgressRecorder& recorder) {
    std::vector<Attempt> attempts;
    Attempt current;
    long long last = 0;
    for (const Progress& m : recorder.Messages()) {
        if (m.bytes == 0) {
            EXPECT_GE(m.total, last);
            current.total = m.total;
            attempts.push_back(current);
            current = Attempt();
            last = 0;
            continue;
        }
        EXPECT_LE(m.bytes, 1024u);
        current.reported += m.bytes;
        EXPECT_GE(static_cast<unsigned long long>(m.total), current.reported);
        EXPECT_GT(m.total, last);
        last = m.total;
    }
    EXPECT_EQ(current.reported, 0u) << "progress after the last end-of-attempt message";
    return attempts;
}

// The body the scripted server builds for html at lead, filled up to size.
std::string Body(const std::string& html, size_t lead, size_t size) {
    std::string body = Filler(0, lead) + html;
    if (body.size() < size) body += Filler(body.size(), size - body.size());
    return body.substr(0, size);
}

std::string PageQuery(const std::string& html, int status, size_t lead = 0, size_t size = 0) {
    std::string q = "?status=" + std::to_string(status) + "&html=" + UrlEncode(html) + "&lead=" + std::to_string(lead);
    if (size) q += "&size=" + std::to_string(size);
    return q;
}

bool NotConnected() { return false; }

}  // namespace

TEST(GetTextBetweenTags, Cases) {
    struct Case {
        const wchar_t* text;
        const wchar_t* tag;
        const wchar_t* expected;
    } cases[] = {
        {L"<html><title>404 Not Found</title></html>", L"TITLE", L"404 NOT FOUND"},
        {L"<TiTlE>Error 404</tItLe>", L"title", L"ERROR 404"},
        {L"<h1>Not Found</h1>", L"H1", L"NOT FOUND"},
        {L"<title></title>", L"TITLE", L""},
        {L"<title>\u00fcber</title>", L"TITLE", L"\u00fcBER"},  // only A to Z change case
        {L"<title>a</title><title>b</title>", L"TITLE", L""},   // two openings
        {L"<title>a</title></title>", L"TITLE", L""},           // two closings
        {L"<title>a", L"TITLE", L""},
        {L"a</title>", L"TITLE", L""},
        {L"</title>x<title>", L"TITLE", L""},  // closing before opening
        {L"", L"TITLE", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDownloader::GetTextBetweenTags(c.text, c.tag), c.expected) << Narrow(c.text);
}

TEST(GetElapsedTicks, CountsAcrossTheWrapAround) {
    struct Case {
        DWORD start, now, expected;
    } cases[] = {
        {1000, 1500, 500}, {7, 7, 0}, {0xFFFFFF00u, 0x100, 0x200}, {0xFFFFFFFFu, 0, 1}, {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        FakeClock clock(c.now);
        EXPECT_EQ(CDownloader::GetElapsedTicks(c.start), c.expected) << c.start << " " << c.now;
    }
}

TEST(Download, StoresTheBodyReportsEveryReadAndBypassesCaches) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    const std::string p = TestPrefix();
    CDownloader downloader;
    ASSERT_TRUE(downloader.Download(ScriptedUrl(p + "file.bin?size=5000&fill=bin"), dir / L"file.bin", recorder.Window()));

    std::string expected;
    for (int i = 0; i < 5000; ++i) expected += static_cast<char>(i % 256);
    EXPECT_EQ(ReadBytes(dir / L"file.bin"), expected);
    auto attempts = Attempts(recorder);
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_EQ(attempts[0].reported, 5000u);
    EXPECT_EQ(attempts[0].total, 5000);
    EXPECT_TRUE(FakeClock::Sleeps().empty()) << "no pause after success";
    EXPECT_FALSE(Exists(dir / L"file.bin Before Download"));

    auto requests = RequestsWithPrefix(p);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("user-agent"), "Quillmoor's Downloader");
    // Caches bypassed: the request asks proxies not to answer from theirs (Wine's WinINet
    // sends Pragma only; Windows may add Cache-Control).
    EXPECT_EQ(requests[0].Header("pragma"), "no-cache");
}

TEST(Download, SendsNoMessageWithoutAWindow) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;  // exists, but the download is not told about it
    CDownloader downloader;
    EXPECT_TRUE(downloader.Download(ScriptedUrl(TestPrefix() + "f?size=3000"), dir / L"f", nullptr));
    EXPECT_EQ(ReadBytes(dir / L"f"), Filler(0, 3000));
    EXPECT_TRUE(recorder.Messages().empty());
}

TEST(Download, SlowTrickleArrivesWhole) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    ProgressRecorder recorder;
    CDownloader downloader;
    EXPECT_TRUE(downloader.Download(ScriptedUrl(TestPrefix() + "f?size=2400&piece=200&gap=60"), dir / L"f",
                                    recorder.Window()));
    EXPECT_EQ(ReadBytes(dir / L"f"), Filler(0, 2400));
    EXPECT_EQ(recorder.BytesReported(), 2400u);
}

TEST(Download, NoConnectionTouchesNothing) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    ASSERT_TRUE(WriteBytes(dir / L"f", "old"));
    auto saved = g_connectedStateProbe;
    g_connectedStateProbe = &NotConnected;
    const std::string p = TestPrefix();
    CDownloader downloader;
    bool result = downloader.Download(ScriptedUrl(p + "f?size=10"), dir / L"f", recorder.Window());
    g_connectedStateProbe = saved;
    EXPECT_FALSE(result);
    EXPECT_EQ(ReadBytes(dir / L"f"), "old");
    EXPECT_FALSE(Exists(dir / L"f Before Download"));
    EXPECT_TRUE(RequestsWithPrefix(p).empty());
    EXPECT_TRUE(FakeClock::Sleeps().empty());
    EXPECT_TRUE(recorder.Messages().empty());
}

// What a download leaves of the target and its backup, for every starting state, when it
// succeeds and when every attempt fails. No backup is ever lost.
TEST(Download, BackupTable) {
    REQUIRE_SERVERS();
    struct Row {
        bool target, backup, succeed;
        const char* targetAfter;  // nullptr: no file
        const char* backupAfter;
    } rows[] = {
        {false, false, true, "new", nullptr},
        {false, true, true, "new", "old backup"},
        {true, false, true, "new", "old target"},
        {true, true, true, "new", "old backup"},
        {false, false, false, nullptr, nullptr},
        {false, true, false, nullptr, "old backup"},
        {true, false, false, "old target", nullptr},
        {true, true, false, "old backup", nullptr},
    };
    const std::string fresh = Filler(0, 300);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("target ") + (row.target ? "yes" : "no") + ", backup " + (row.backup ? "yes" : "no") +
                     (row.succeed ? ", succeeds" : ", fails"));
        ScratchFolder dir;
        FakeClock clock;
        const CString target = dir / L"Setup File.dat";
        const CString backup = target + kBackup;
        if (row.target) {
            ASSERT_TRUE(WriteBytes(target, "old target"));
        }
        if (row.backup) {
            ASSERT_TRUE(WriteBytes(backup, "old backup"));
        }
        const std::string query = row.succeed ? "?size=300" : PageQuery(kPage404, 404);
        CDownloader downloader;
        EXPECT_EQ(downloader.Download(ScriptedUrl(TestPrefix() + "f" + query), target, nullptr), row.succeed);
        EXPECT_EQ(FakeClock::Count(2000), row.succeed ? 0u : 4u);
        auto expect = [](const CString& path, const char* content) {
            if (!content) {
                EXPECT_FALSE(Exists(path)) << Narrow(path);
            } else {
                EXPECT_EQ(ReadBytes(path), std::string(content) == "new" ? Filler(0, 300) : content) << Narrow(path);
            }
        };
        expect(target, row.targetAfter);
        expect(backup, row.backupAfter);
    }
}

TEST(Download, RejectsA404PageInEveryAttempt) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    ASSERT_TRUE(WriteBytes(dir / L"f", "old"));
    const std::string p = TestPrefix();
    CDownloader downloader;
    EXPECT_FALSE(downloader.Download(ScriptedUrl(p + "f" + PageQuery(kPage404, 404)), dir / L"f", recorder.Window()));
    EXPECT_EQ(RequestsWithPrefix(p).size(), 4u);
    EXPECT_EQ(FakeClock::Sleeps(), std::vector<DWORD>(4, 2000));
    auto attempts = Attempts(recorder);
    ASSERT_EQ(attempts.size(), 4u);
    for (const Attempt& a : attempts) {
        EXPECT_EQ(a.reported, 0u) << "the page is neither written nor reported";
        EXPECT_EQ(a.total, static_cast<long long>(kPage404.size()));
    }
    EXPECT_EQ(ReadBytes(dir / L"f"), "old");
    EXPECT_FALSE(Exists(dir / L"f Before Download"));
}

// A page sent in two pieces of 600 and 300 bytes, the title at the end of the first. The
// client may hand them over in one read or in two; the page is rejected either way, since a
// second read is judged together with the first read's stale bytes behind it (the buffer
// side of this is in ErrorPageTest.cpp).
TEST(Download, RejectsA404PageSentInTwoPieces) {
    REQUIRE_SERVERS();
    const std::string title = "<title>404 Not Found</title>";
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    CDownloader downloader;
    EXPECT_FALSE(downloader.Download(
        ScriptedUrl(TestPrefix() + "f" + PageQuery(title, 404, 600 - title.size(), 900) + "&pieces=600,300&gap=300"),
        dir / L"f", recorder.Window()));
    auto attempts = Attempts(recorder);
    ASSERT_EQ(attempts.size(), 4u);
    for (const Attempt& a : attempts) {
        EXPECT_EQ(a.reported, 0u);
        EXPECT_EQ(a.total, 900);
    }
    EXPECT_FALSE(Exists(dir / L"f"));
}

TEST(Download, WhichPagesCountAsErrorPages) {
    REQUIRE_SERVERS();
    struct Case {
        const char* what;
        std::string html;
        int status;
        size_t lead, size;
        const char* pieces;
        bool accepted;
    } cases[] = {
        {"lower-case title tags", "<html><head><title>404 not found</title></head></html>", 404, 0, 0, nullptr, false},
        {"404 anywhere in the title", "<TITLE>Error 404 - missing</TITLE>", 404, 0, 0, nullptr, false},
        {"two title elements", "<title>404 Not Found</title><title>404</title>", 404, 0, 0, nullptr, true},
        {"404 outside the title", "<title>Not Found</title><h1>404</h1>", 404, 0, 0, nullptr, true},
        {"complete 403 page", "<html><title>403 Forbidden</title></html>", 403, 0, 0, nullptr, true},
        {"complete 500 page", "<html><title>500 Internal Server Error</title></html>", 500, 0, 0, nullptr, true},
        {"title cut by the end of a first read of 1024 bytes", "<title>404</title>", 200, 1010, 3000, nullptr, true},
        {"title beyond the first 1024 bytes", "<title>404</title>", 200, 1030, 1100, nullptr, true},
        {"title in the first 1024 bytes of a longer body", "<title>404</title>", 404, 1000, 1100, nullptr, false},
        {"title in a file of 1024 bytes", "<title>404</title>", 200, 1000, 1024, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        FakeClock clock;
        ProgressRecorder recorder;
        std::string query = PageQuery(c.html, c.status, c.lead, c.size);
        if (c.pieces) query += std::string("&pieces=") + c.pieces + "&gap=300";
        CDownloader downloader;
        EXPECT_EQ(downloader.Download(ScriptedUrl(TestPrefix() + "f" + query), dir / L"f", recorder.Window()), c.accepted);
        const std::string body = Body(c.html, c.lead, c.size ? c.size : c.lead + c.html.size());
        if (c.accepted) {
            EXPECT_EQ(ReadBytes(dir / L"f"), body);
            EXPECT_EQ(recorder.BytesReported(), body.size());
        } else {
            EXPECT_FALSE(Exists(dir / L"f"));
            // The rejected first read is not reported; later reads are, in each of 4 attempts.
            EXPECT_EQ(recorder.BytesReported(), body.size() > 1024 ? 4 * (body.size() - 1024) : 0u);
        }
    }
}

TEST(Download, ShortBodyFailsAfterItsTwentySecondWait) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    const std::string p = TestPrefix();
    CDownloader downloader;
    EXPECT_FALSE(downloader.Download(ScriptedUrl(p + "f?size=1000&cl=2000"), dir / L"f", recorder.Window()));
    EXPECT_EQ(RequestsWithPrefix(p).size(), 4u);
    EXPECT_FALSE(Exists(dir / L"f"));
    // Between the attempts' 2-second pauses, short polling pauses that add up to a little
    // more than 20 seconds each time.
    std::vector<DWORD> waits;
    DWORD waited = 0;
    for (DWORD s : FakeClock::Sleeps()) {
        if (s == 2000) {
            waits.push_back(waited);
            waited = 0;
        } else {
            EXPECT_LE(s, 50u);
            EXPECT_GT(s, 0u);
            waited += s;
        }
    }
    ASSERT_EQ(waits.size(), 4u);
    for (DWORD w : waits) {
        EXPECT_GT(w, 20000u);
        EXPECT_LE(w, 20100u);
    }
    auto attempts = Attempts(recorder);
    ASSERT_EQ(attempts.size(), 4u);
    for (const Attempt& a : attempts) EXPECT_EQ(a.reported, 1000u) << "nothing reported is taken back";
}

TEST(Download, WithoutContentLengthOnlyAnEmptyBodySucceeds) {
    REQUIRE_SERVERS();
    struct Case {
        const char* what;
        const char* query;
        bool succeeds;
    } cases[] = {
        {"empty body", "?cl=none&size=0", true},
        {"body up to the close", "?cl=none&size=10", false},
        {"chunked body", "?chunked=1&size=500", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        FakeClock clock;
        CDownloader downloader;
        EXPECT_EQ(downloader.Download(ScriptedUrl(TestPrefix() + "f" + c.query), dir / L"f", nullptr), c.succeeds);
        if (c.succeeds) {
            EXPECT_TRUE(Exists(dir / L"f"));
            EXPECT_EQ(ReadBytes(dir / L"f"), "");
        } else {
            EXPECT_FALSE(Exists(dir / L"f"));
            EXPECT_EQ(FakeClock::Count(2000), 4u);
        }
    }
}

TEST(Download, ConnectionResetMidBodyRetriesFromTheStart) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    const std::string p = TestPrefix();
    CDownloader downloader;
    EXPECT_FALSE(downloader.Download(ScriptedUrl(p + "f?size=5000&reset=3000&piece=1000&gap=50"), dir / L"f",
                                     recorder.Window()));
    EXPECT_EQ(RequestsWithPrefix(p).size(), 4u);
    EXPECT_EQ(FakeClock::Count(2000), 4u);
    EXPECT_FALSE(Exists(dir / L"f"));
    auto attempts = Attempts(recorder);
    ASSERT_EQ(attempts.size(), 4u);
    for (const Attempt& a : attempts) {
        EXPECT_GT(a.reported, 0u);
        EXPECT_LE(a.reported, 3000u);
    }
}

TEST(Download, TargetInAMissingFolderNeverReachesTheServer) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    FakeClock clock;
    ProgressRecorder recorder;
    const std::string p = TestPrefix();
    CDownloader downloader;
    EXPECT_FALSE(downloader.Download(ScriptedUrl(p + "f?size=10"), dir / L"missing\\f", recorder.Window()));
    EXPECT_EQ(FakeClock::Sleeps(), std::vector<DWORD>(4, 2000));
    EXPECT_TRUE(RequestsWithPrefix(p).empty());
    EXPECT_TRUE(recorder.Messages().empty());
    EXPECT_FALSE(IsFolder(dir / L"missing"));
}

TEST(Download, UnreachableServersFailEveryAttemptWithoutProgress) {
    REQUIRE_SERVERS();
    const CString urls[] = {
        L"http://no-such-host.invalid/f",
        CString(("http://127.0.0.1:" + std::to_string(GetServers().closed) + "/f").c_str()),
    };
    for (const CString& url : urls) {
        SCOPED_TRACE(Narrow(url));
        ScratchFolder dir;
        FakeClock clock;
        ProgressRecorder recorder;
        ASSERT_TRUE(WriteBytes(dir / L"f", "old"));
        CDownloader downloader;
        EXPECT_FALSE(downloader.Download(url, dir / L"f", recorder.Window()));
        EXPECT_EQ(FakeClock::Sleeps(), std::vector<DWORD>(4, 2000));
        EXPECT_TRUE(recorder.Messages().empty());
        EXPECT_EQ(ReadBytes(dir / L"f"), "old");
    }
}

// The fixture's full.bin is a link to /dev/full, where every write fails for want of space,
// with a backup "full.bin Before Download" beside it. Wine 8 cannot delete the link, so the
// clean-up of the failed attempt leaves both as they are; the fixture makes them anew anyway.
TEST(Download, WriteFailureEndsTheDownloadAfterOnePause) {
    REQUIRE_SERVERS();
    const CString target = GetServers().fullFolder + L"\\full.bin";
    const CString backup = target + kBackup;
    ASSERT_EQ(ReadBytes(backup), "old contents");
    FakeClock clock;
    ProgressRecorder recorder;
    const std::string p = TestPrefix();
    CDownloader downloader;
    EXPECT_FALSE(downloader.Download(ScriptedUrl(p + "f?size=3000"), target, recorder.Window()));
    EXPECT_EQ(RequestsWithPrefix(p).size(), 1u) << "no second attempt";
    EXPECT_EQ(FakeClock::Sleeps(), std::vector<DWORD>(1, 2000));
    ASSERT_EQ(recorder.Messages().size(), 2u) << "the failed read is still reported, then the attempt ends";
    EXPECT_EQ(recorder.Messages()[0].bytes, 1024u);
    EXPECT_EQ(recorder.Messages()[0].total, 1024);
    EXPECT_EQ(recorder.Messages()[1].bytes, 0u);
    EXPECT_EQ(recorder.Messages()[1].total, 1024);
    if (Exists(backup)) {
        EXPECT_EQ(ReadBytes(backup), "old contents") << "the backup is never deleted";
    } else {
        EXPECT_EQ(ReadBytes(target), "old contents") << "the link went, and the backup took its place";
    }
}

TEST(Download, FiftyMegabytesFromNginx) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    ProgressRecorder recorder;
    CDownloader downloader;
    const unsigned long long size = 50ull * 1024 * 1024;
    ASSERT_TRUE(downloader.Download(NginxUrl("/big.bin"), dir / L"big.bin", recorder.Window()));
    auto attempts = Attempts(recorder);
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_EQ(attempts[0].reported, size);
    EXPECT_EQ(static_cast<unsigned long long>(attempts[0].total), size);
    std::string bytes = ReadBytes(dir / L"big.bin");
    ASSERT_EQ(bytes.size(), size);
    size_t wrong = 0;
    for (size_t i = 0; i < bytes.size(); ++i) wrong += static_cast<unsigned char>(bytes[i]) != i % 256;
    EXPECT_EQ(wrong, 0u);
}

// In real time: four attempts at a missing file, 2 seconds apart.
TEST(DownloadRealTime, FourAttemptsTwoSecondsApart) {
    REQUIRE_SERVERS();
    ScratchFolder dir;
    const std::string p = TestPrefix();
    CDownloader downloader;
    DWORD start = GetTickCount();
    EXPECT_FALSE(downloader.Download(ScriptedUrl(p + "f" + PageQuery(kPage404, 404)), dir / L"f", nullptr));
    DWORD elapsed = GetTickCount() - start;
    auto requests = RequestsWithPrefix(p);
    ASSERT_EQ(requests.size(), 4u);
    for (size_t i = 1; i < requests.size(); ++i) {
        double gap = requests[i].time - requests[i - 1].time;
        EXPECT_GE(gap, 1.9) << i;
        EXPECT_LT(gap, 4.0) << i;
    }
    EXPECT_GE(elapsed, 7900u) << "a pause after the last attempt too";
}

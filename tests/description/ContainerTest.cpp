// Encrypted description containers: the block loop, the marker test, the failure table and
// loading through the reader, with containers made from known plaintext.
#include <gtest/gtest.h>

#include <PrivateKey.h>

#include "description/ContainerFormat.h"
#include "description/ContainerReader.h"
#include "description/ContainerWriter.h"
#include "description/IniParser.h"
#include "tests/description/DescriptionTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;
using namespace description_testing;

namespace {

const std::wstring kDescription =
    L"[Download Initial Setup]\r\nYes\r\n[Files to download]\r\nSetup.exe -> Setup.exe\r\n"
    L"data/core.cab -> Data\\core.cab\r\ndata/extra.cab -> Data\\extra.cab\r\n\r\n"
    L"[Download Sites]\r\nhost1.example/app/\r\nhost2.example/mirror/app/\r\n\r\n"
    L"[User Info Filename]\r\nUserInfo.txt\r\n[Program to run]\r\nSetup.exe\r\n"
    L"[Target]\r\n$Program Files Folder$\\Organizer\r\n[End]\r\nEnd\r\n";
const std::vector<std::wstring> kTags = {L"Download Initial Setup", L"Files to download", L"Download Sites",
                                         L"User Info Filename", L"Program to run", L"Target", L"End"};

// What DecryptContainer makes of bytes with the built-in key: status, and the plaintext.
struct Decrypted {
    explicit Decrypted(const std::string& file, const char* key = kSetupPrivateKeyHex) {
        // An exactly sized copy, so that a read past the end would leave the buffer.
        std::vector<unsigned char> bytes(file.begin(), file.end());
        unsigned char* data = nullptr;
        int length = 0;
        result = DecryptContainer(bytes.empty() ? nullptr : bytes.data(), bytes.size(), key, data, length);
        hasData = data != nullptr;
        if (data) {
            plaintext.assign(reinterpret_cast<char*>(data), length);
            size_t capacity = result.blockCount * result.maxPieceLength;
            for (size_t i = length; i < capacity + kPlaintextTerminatorLength; ++i) trailingZeros &= data[i] == 0;
            delete[] data;
        }
    }
    ContainerResult result;
    bool hasData = false;
    bool trailingZeros = true;
    std::string plaintext;
};

std::string Bytes(size_t count, char fill) { return std::string(count, fill); }

}  // namespace

TEST(ContainerReader, PiecesJoinWithoutGaps) {
    std::string plain;
    for (int i = 0; i < 182; ++i) plain += static_cast<char>('A' + i % 26);
    Decrypted d(Container(plain, {86, 86, 10}));
    EXPECT_EQ(d.result.status, ContainerStatus::kOk);
    EXPECT_EQ(d.result.blockCount, 3u);
    EXPECT_EQ(d.result.blockLength, 128u);
    EXPECT_EQ(d.result.maxPieceLength, 86u);
    EXPECT_EQ(d.plaintext.size(), 182u);
    EXPECT_EQ(d.plaintext, plain);
    EXPECT_TRUE(d.trailingZeros);
}

TEST(ContainerReader, PieceLengthsDoNotMatter) {
    std::string plain = AnsiStored(kDescription).substr(0, 222);
    ASSERT_EQ(plain.size(), 222u);
    Decrypted a(Container(plain, {50, 86, 86})), b(Container(plain, {86, 86, 50})), c(Container(plain, {1, 85, 86, 50}));
    EXPECT_EQ(a.plaintext, plain);
    EXPECT_EQ(b.plaintext, plain);
    EXPECT_EQ(c.plaintext, plain);
}

TEST(ContainerReader, FailureTable) {
    std::string good = Container(std::string(200, 'x'));  // 86, 86, 28
    std::string marker(kContainerMarker, kContainerHeaderLength);
    std::string changedMiddle = good;
    changedMiddle[kContainerHeaderLength + 128 + 60] ^= 0x01;
    struct Case {
        const char* what;
        std::string file;
        ContainerStatus status;
        bool hasData;
        size_t plaintext;
    } cases[] = {
        {"whole", good, ContainerStatus::kOk, true, 200},
        {"empty", "", ContainerStatus::kNotAContainer, false, 0},
        {"short", marker.substr(0, 13), ContainerStatus::kNotAContainer, false, 0},
        {"marker in other case", "10vnoitpyrcne" + good.substr(13), ContainerStatus::kNotAContainer, false, 0},
        {"marker without zero byte", "10VnoitpyrcnE" + good.substr(14), ContainerStatus::kNotAContainer, false, 0},
        {"marker with another byte", "10VnoitpyrcnE " + good.substr(14), ContainerStatus::kNotAContainer, false, 0},
        {"plain description", AnsiStored(kDescription), ContainerStatus::kNotAContainer, false, 0},
        {"marker only", marker, ContainerStatus::kOk, true, 0},
        {"one byte more", good + "x", ContainerStatus::kIncompleteBlock, false, 0},
        {"one byte less", good.substr(0, good.size() - 1), ContainerStatus::kIncompleteBlock, false, 0},
        {"half a block", marker + good.substr(14, 64), ContainerStatus::kIncompleteBlock, false, 0},
        {"last block of zeros", good.substr(0, 14 + 256) + Bytes(128, '\0'), ContainerStatus::kInvalidBlock, false, 0},
    };
    for (const Case& c : cases) {
        Decrypted d(c.file);
        EXPECT_EQ(d.result.status, c.status) << c.what << ": " << DescribeContainerResult(d.result);
        EXPECT_EQ(d.hasData, c.hasData) << c.what;
        EXPECT_EQ(d.plaintext.size(), c.plaintext) << c.what;
        EXPECT_TRUE(d.trailingZeros) << c.what;
    }
}

// A changed block is either no valid OAEP encoding (nothing at all comes back) or makes the
// library fail (the blocks before it come back).
TEST(ContainerReader, OneChangedBlockGivesNothingOrThePlaintextBeforeIt) {
    std::string plain(240, 'p');
    std::string good = Container(plain);  // 86, 86, 68
    for (int block = 0; block < 3; ++block) {
        for (size_t offset : {0u, 1u, 64u, 127u}) {
            std::string changed = good;
            changed[kContainerHeaderLength + block * 128 + offset] ^= 0x40;
            Decrypted d(changed);
            ASSERT_NE(d.result.status, ContainerStatus::kOk) << block << "/" << offset;
            EXPECT_EQ(d.result.failedBlock, block);
            if (d.result.status == ContainerStatus::kInvalidBlock) {
                EXPECT_FALSE(d.hasData);
            } else {
                EXPECT_EQ(d.result.status, ContainerStatus::kLibraryError);
                EXPECT_EQ(d.plaintext, plain.substr(0, 86 * block));
            }
        }
    }
    // A block above the modulus cannot be a ciphertext: the library refuses it.
    std::string high = good.substr(0, kContainerHeaderLength + 128) + Bytes(128, '\xFF') + good.substr(14 + 256);
    Decrypted d(high);
    EXPECT_EQ(d.result.failedBlock, 1);
    if (d.result.status == ContainerStatus::kLibraryError) {
        EXPECT_EQ(d.plaintext, plain.substr(0, 86));
    } else {
        EXPECT_EQ(d.result.status, ContainerStatus::kInvalidBlock);
    }
}

TEST(ContainerReader, KeyThatIsNoKey) {
    std::string good = Container("abc");
    EXPECT_EQ(Decrypted(good, "").result.status, ContainerStatus::kBadKey);
    EXPECT_EQ(Decrypted(good, "3082").result.status, ContainerStatus::kBadKey);
    EXPECT_EQ(Decrypted(good, nullptr).result.status, ContainerStatus::kBadKey);
    EXPECT_EQ(Decrypted(good, BuiltInPublicKey().c_str()).result.status, ContainerStatus::kBadKey);
    EXPECT_EQ(Decrypted("not a container", "").result.status, ContainerStatus::kNotAContainer);  // marker first
    // Hexadecimal digits in either letter case.
    std::string upper = kSetupPrivateKeyHex;
    for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(Decrypted(good, upper.c_str()).plaintext, "abc");
}

TEST(ContainerLoad, LoadsToTheSameTextAsThePlainFile) {
    MessageBoxRecorder boxes;
    ScratchFolder folder;
    struct Case {
        const char* what;
        std::string stored;
        std::vector<size_t> pieces;
    } cases[] = {
        {"ansi, whole pieces", AnsiStored(kDescription), {}},
        {"utf16, whole pieces", Utf16Stored(kDescription), {}},
        {"utf16, a character split across pieces", Utf16Stored(kDescription), {85}},
        {"utf16, one byte pieces then odd", Utf16Stored(kDescription), {1, 1, 1, 84, 3}},
    };
    for (const Case& c : cases) {
        std::vector<size_t> pieces = c.pieces;
        size_t used = 0;
        for (size_t p : pieces) used += p;
        for (size_t p : CutIntoPieces(c.stored.size() - used, 86)) pieces.push_back(p);
        CIniParser plain, encrypted;
        ASSERT_TRUE(LoadBytes(plain, folder, L"d.ini", c.stored)) << c.what;
        ASSERT_TRUE(LoadBytes(encrypted, folder, L"SetupInitial.eif", Container(c.stored, pieces))) << c.what;
        EXPECT_EQ(Snapshot(plain, kTags), Snapshot(encrypted, kTags)) << c.what;
        EXPECT_EQ(encrypted.GetValue(L"Program to run"), CString(L"Setup.exe")) << c.what;
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(ContainerLoad, FailuresGiveNoData) {
    ScratchFolder folder;
    std::string stored = AnsiStored(kDescription);
    std::string good = Container(stored);
    std::string marker(kContainerMarker, kContainerHeaderLength);
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"0 bytes", ""},
        {"marker in other case", "10VNOITPYRCNE" + good.substr(13)},
        {"marker without its zero byte", "10VnoitpyrcnE" + good.substr(14)},
        {"plain description", stored},
        {"one block changed to zeros", good.substr(0, 14 + 128) + Bytes(128, '\0') + good.substr(14 + 256)},
        {"ciphertext not whole blocks", good.substr(0, good.size() - 5)},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        CIniParser parser;
        EXPECT_FALSE(LoadBytes(parser, folder, L"x.eif", c.file)) << c.what;
        EXPECT_FALSE(parser.IsLoaded()) << c.what;
        EXPECT_TRUE(boxes.Boxes().empty()) << c.what;
    }
    MessageBoxRecorder boxes;
    CIniParser parser;
    EXPECT_FALSE(parser.Load(folder / L"missing.eif"));
    EXPECT_FALSE(LoadBytes(parser, folder, L"x.INI", stored));  // not ".ini": the container reader
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(ContainerLoad, MarkerOnlyFailsTheEndRule) {
    ScratchFolder folder;
    MessageBoxRecorder boxes;
    CIniParser parser;
    EXPECT_FALSE(LoadBytes(parser, folder, L"x.eif", std::string(kContainerMarker, kContainerHeaderLength)));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, CString(L"Tag 'End' not found."));
    EXPECT_FALSE(parser.IsLoaded());
}

TEST(ContainerLoad, ALibraryFailureMidwayLoadsTheBlocksBeforeIt) {
    ScratchFolder folder;
    std::string stored = AnsiStored(L"[Program to run]\nSetup.exe\n[End]\nEnd\n" + std::wstring(200, L'x'));
    std::string good = Container(stored);
    std::string high = good.substr(0, 14 + 128) + Bytes(128, '\xFF') + good.substr(14 + 256);
    if (Decrypted(high).result.status != ContainerStatus::kLibraryError) GTEST_SKIP() << "the library did not raise";
    MessageBoxRecorder boxes;
    CIniParser parser;
    EXPECT_TRUE(LoadBytes(parser, folder, L"x.eif", high));
    EXPECT_EQ(parser.GetValue(L"Program to run"), CString(L"Setup.exe"));
    EXPECT_EQ(parser.GetValue(L"End", 1), CString(L'x', 86 - 37));  // the first block's 86 bytes, no more
}

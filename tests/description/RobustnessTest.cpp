// Randomized robustness: thousands of mutated descriptions and containers go through Load
// and the lookups, and each ends without a crash or a hang. The seed is fixed, so a failure
// can be replayed; it is printed with every failure.
#include <gtest/gtest.h>

#include <random>

#include "description/ContainerFormat.h"
#include "description/ContainerWriter.h"
#include "description/IniParser.h"
#include "fs/Paths.h"
#include "tests/description/DescriptionTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;
using namespace description_testing;

namespace {

const std::wstring kBase =
    L"// robustness base\r\n[Download Initial Setup]\r\nYes\r\n[Name]\r\n$Other$-$Temp Folder$\r\n[Other]\r\n"
    L"$Application Path$\\x\r\n[Files to download]\r\na.txt -> A\\a.txt\r\nb.cab->b.cab\r\n\r\n"
    L"[Download Sites]\r\nhost1.example/p/\r\nhost2.example/\r\n[Program to run]\r\nSetup.exe\r\n"
    L"[User Info Filename]\r\nInfo.txt\r\n[End]\r\nEnd\r\n";

// Characters that matter to the reader are more likely to be inserted.
const char kInteresting[] = "$[]/\\\n\r ->\0\xFF\xFE";

std::string Mutate(std::string bytes, std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 3), count(1, 4), byte(0, 255);
    for (int n = count(random); n > 0; --n) {
        size_t size = bytes.size();
        std::uniform_int_distribution<size_t> at(0, size ? size - 1 : 0);
        switch (kind(random)) {
            case 0:  // flip a bit
                if (size) bytes[at(random)] ^= static_cast<char>(1 << (byte(random) % 8));
                break;
            case 1:  // cut the tail
                bytes.resize(size ? at(random) : 0);
                break;
            case 2:  // insert a run of bytes, often ones that mean something to the reader
                bytes.insert(size ? at(random) : 0,
                             std::string(count(random), byte(random) % 2 ? kInteresting[byte(random) % (sizeof kInteresting - 1)]
                                                                         : static_cast<char>(byte(random))));
                break;
            default:  // remove a run
                if (size) bytes.erase(at(random), count(random) * 8);
                break;
        }
    }
    return bytes;
}

// Rearranges whole ciphertext blocks: drop, repeat, swap, or cut after one. The result still
// decrypts, to plaintext that no publisher wrote (a misaligned UTF-16 text, a lost [End]).
std::string RearrangeBlocks(std::string bytes, std::mt19937& random) {
    const size_t header = kContainerHeaderLength, block = BlockLength();
    size_t blocks = (bytes.size() - header) / block;
    std::uniform_int_distribution<size_t> pick(0, blocks - 1);
    size_t a = pick(random), b = pick(random);
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
        case 0: bytes.erase(header + a * block, block); break;
        case 1: bytes.insert(header + a * block, bytes.substr(header + b * block, block)); break;
        case 2: {
            std::string first = bytes.substr(header + a * block, block);
            bytes.replace(header + a * block, block, bytes.substr(header + b * block, block));
            bytes.replace(header + b * block, block, first);
            break;
        }
        default: bytes.resize(header + a * block); break;
    }
    return bytes;
}

// Loads bytes under name and reads everything a run would read.
void Exercise(CIniParser& parser, const ScratchFolder& folder, const wchar_t* name, const std::string& bytes) {
    LoadBytes(parser, folder, name, bytes);
    CString a, b;
    for (bool ok = parser.GetFirstFile(a, b); ok; ok = parser.GetNextFile(a, b)) {
    }
    for (bool ok = parser.GetFirstSite(a); ok; ok = parser.GetNextSite(a)) {
    }
    parser.GetValue(L"Program to run");
    parser.GetValue(L"Name", 3);
}

}  // namespace

TEST(Robustness, MutatedDescriptions) {
    const unsigned seed = 20261211;
    std::mt19937 random(seed);
    ScratchFolder folder;
    SetProgramFolder(folder / L"Setup.exe");
    MessageBoxRecorder boxes;
    const std::string bases[] = {AnsiStored(kBase), Utf16Stored(kBase)};
    DWORD started = GetTickCount();
    for (int i = 0; i < 3000; ++i) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(i));
        CIniParser parser;
        DWORD before = GetTickCount();
        Exercise(parser, folder, L"d.ini", Mutate(bases[i % 2], random));
        ASSERT_LT(GetTickCount() - before, 3000u);
        boxes.Clear();
    }
    EXPECT_LT(GetTickCount() - started, 60000u);
}

TEST(Robustness, MutatedContainers) {
    const unsigned seed = 11122026;
    std::mt19937 random(seed);
    ScratchFolder folder;
    MessageBoxRecorder boxes;
    const std::string containers[] = {Container(AnsiStored(kBase)), Container(Utf16Stored(kBase)),
                                      Container(AnsiStored(kBase), CutIntoPieces(AnsiStored(kBase).size(), 37))};
    DWORD started = GetTickCount();
    int loaded = 0;
    for (int i = 0; i < 600; ++i) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(i));
        CIniParser parser;
        DWORD before = GetTickCount();
        const std::string& original = containers[i % 3];
        Exercise(parser, folder, L"SetupInitial.eif",
                 i % 2 ? Mutate(original, random) : RearrangeBlocks(original, random));
        ASSERT_LT(GetTickCount() - before, 3000u);
        loaded += parser.IsLoaded();
        boxes.Clear();
    }
    EXPECT_GT(loaded, 100);  // rearranged blocks still decrypt, so their text reaches the parser
    EXPECT_LT(GetTickCount() - started, 60000u);
}

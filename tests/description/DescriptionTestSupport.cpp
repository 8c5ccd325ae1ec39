// Helpers of the description tests.
#include "tests/description/DescriptionTestSupport.h"

#include <gtest/gtest.h>

#include <PrivateKey.h>

#include "description/ContainerFormat.h"
#include "description/ContainerWriter.h"
#include "description/KeyPair.h"

void PrintTo(const CString& text, std::ostream* out) { *out << '"' << testing_support::Narrow(text) << '"'; }

namespace description_testing {

std::string Utf16Stored(const std::wstring& text) {
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

std::string AnsiStored(const std::wstring& text) {
    return CString(text.c_str(), static_cast<int>(text.size())).ToAnsi();
}

const std::string& BuiltInPublicKey() {
    static const std::string key = [] {
        std::string hex, error;
        EXPECT_TRUE(PublicKeyFromPrivate(kSetupPrivateKeyHex, hex, error)) << error;
        return hex;
    }();
    return key;
}

std::size_t MaxPiece() {
    std::size_t maxPiece = 0;
    std::string error;
    EXPECT_TRUE(MaxPieceLength(BuiltInPublicKey(), maxPiece, error)) << error;
    return maxPiece;
}

std::size_t BlockLength() {
    static const std::size_t length = Container("x", {1}).size() - kContainerHeaderLength;
    return length;
}

std::string Container(const std::string& stored, const std::vector<std::size_t>& pieces) {
    std::string container, error;
    EXPECT_TRUE(MakeContainer(BuiltInPublicKey(), stored, pieces, container, error)) << error;
    return container;
}

std::string Container(const std::string& stored) { return Container(stored, CutIntoPieces(stored.size(), MaxPiece())); }

bool LoadBytes(CIniParser& parser, const testing_support::ScratchFolder& folder, const wchar_t* name,
               const std::string& bytes) {
    CString path = folder / name;
    EXPECT_TRUE(testing_support::WriteBytes(path, bytes));
    return parser.Load(path);
}

std::vector<std::string> Snapshot(CIniParser& parser, const std::vector<std::wstring>& tags, int lines) {
    std::vector<std::string> rows;
    for (const std::wstring& tag : tags)
        for (int line = 0; line < lines; ++line)
            rows.push_back(testing_support::Narrow(tag.c_str()) + "|" + std::to_string(line) + "|" +
                           testing_support::Narrow(parser.GetValue(tag.c_str(), line)));
    return rows;
}

}  // namespace description_testing

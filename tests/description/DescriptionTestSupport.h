// Helpers of the description tests: stored forms of a text, the demo key pair as the build
// carries it, containers of known plaintext, and a parser loaded from a scratch file.
#pragma once

#include <string>
#include <vector>

#include "description/IniParser.h"
#include "framework/String.h"
#include "tests/support/TestSupport.h"

#include <ostream>

// Readable CString values in assertion messages.
void PrintTo(const CString& text, std::ostream* out);

namespace description_testing {

// FF FE and the UTF-16 little-endian units of text.
std::string Utf16Stored(const std::wstring& text);
// The text in the system's ANSI code page.
std::string AnsiStored(const std::wstring& text);

// The public half of the private key compiled into this build.
const std::string& BuiltInPublicKey();
// M for the built-in key (86 for a 1024-bit key), and B (128).
std::size_t MaxPiece();
std::size_t BlockLength();

// A container of stored cut into the given pieces (or pieces of M bytes), under the built-in
// key's public half. Fails the test when the writer refuses.
std::string Container(const std::string& stored, const std::vector<std::size_t>& pieces);
std::string Container(const std::string& stored);

// Writes bytes to folder\name and loads it; the parser's result.
bool LoadBytes(CIniParser& parser, const testing_support::ScratchFolder& folder, const wchar_t* name,
               const std::string& bytes);

// Every line of every tag that stands in text (tag names as written), as "tag|line|value"
// rows read through GetValue: what two parsers must agree on to hold the same text.
std::vector<std::string> Snapshot(CIniParser& parser, const std::vector<std::wstring>& tags, int lines = 6);

}  // namespace description_testing

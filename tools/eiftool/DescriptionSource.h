// What the checking commands of eiftool read: a plain description, or a container decrypted
// with the compiled-in key or a key file, as the stored bytes the reader decodes.
#pragma once

#include <cstddef>
#include <string>

struct DescriptionSource {
    std::string stored;              // the description's stored form (a container's plaintext)
    bool isContainer = false;        // the file starts with the container marker
    std::size_t fileSize = 0;        // bytes of the file itself
    std::size_t blockLength = 0;     // B of the key: bytes of one container block
    std::size_t maxPieceLength = 0;  // M of the key: most plaintext bytes one block carries
};

// The key the programs of this build carry, as hexadecimal text.
const char* CompiledInKeyHex();

// Reads path: a container (marker in front) is decrypted with keyHex; anything else is taken
// as a plain description. B and M come from the key in both cases. False, with error, when
// the file does not read, the key is not a private key, or the container does not decrypt.
bool ReadDescriptionSource(const std::wstring& path, const std::string& keyHex, DescriptionSource& source,
                           std::wstring& error);

// Size of the container that packing stored in pieces of M bytes under a key of block length
// B gives: the marker, its zero byte and one block per piece.
std::size_t PackedContainerSize(std::size_t storedLength, std::size_t blockLength, std::size_t maxPieceLength);

// Decrypts the bytes of an encrypted description container with a private key given as
// hexadecimal text. Shared by the description reader and the publisher tool, which also
// wants to know why a container did not open.
#pragma once

#include <cstddef>
#include <string>

enum class ContainerStatus {
    kOk,               // every block decrypted
    kNotAContainer,    // shorter than the header, or the marker and its zero byte differ
    kBadKey,           // the key text did not give a private key
    kIncompleteBlock,  // the ciphertext part is not a whole number of blocks
    kInvalidBlock,     // a block is no valid OAEP encoding (failedBlock tells which)
    kLibraryError,     // the library failed during a block (failedBlock tells which)
};

struct ContainerResult {
    ContainerStatus status = ContainerStatus::kOk;
    int failedBlock = -1;            // 0-based index of the block that failed, or -1
    std::size_t blockCount = 0;      // whole blocks in the ciphertext part
    std::size_t blockLength = 0;     // B: ciphertext length of one block (0 before the key loaded)
    std::size_t maxPieceLength = 0;  // M: most plaintext bytes one block carries
    std::string message;             // the library's own text, when it raised an error
};

// Decrypts file[0, size) with the key. On success, and after a library error during the
// block loop, plaintext receives a newly allocated, zero-filled block of blockCount * M
// bytes plus a terminator of zero bytes, holding length bytes of plaintext from its start;
// the caller releases it with delete[]. In every other case plaintext is nullptr and
// length 0. Never reads outside file[0, size) nor writes outside the plaintext block.
ContainerResult DecryptContainer(const unsigned char* file, std::size_t size, const char* keyHex,
                                 unsigned char*& plaintext, int& length);

// A one-line English description of a result, for the publisher tool.
std::string DescribeContainerResult(const ContainerResult& result);

// Container decryption with Crypto++: marker test, key decoding, then one RSAES-OAEP
// decryption per block into a single zero-filled plaintext block.
#include "description/ContainerReader.h"

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>

#include <cstring>
#include <memory>

#include "description/ContainerFormat.h"

namespace {

ContainerResult Failed(ContainerResult result, ContainerStatus status, int block = -1) {
    result.status = status;
    result.failedBlock = block;
    return result;
}

}  // namespace

ContainerResult DecryptContainer(const unsigned char* file, std::size_t size, const char* keyHex,
                                 unsigned char*& plaintext, int& length) {
    ContainerResult result;
    plaintext = nullptr;
    length = 0;
    if (!file || size < kContainerHeaderLength || std::memcmp(file, kContainerMarker, kContainerHeaderLength) != 0)
        return Failed(result, ContainerStatus::kNotAContainer);
    const unsigned char* ciphertext = file + kContainerHeaderLength;
    const std::size_t ciphertextLength = size - kContainerHeaderLength;

    // The key is decoded anew for every container: the hexadecimal text goes through a
    // HexDecoder into the decryptor, which BER-decodes the PKCS #8 structure.
    std::unique_ptr<CryptoPP::RSAES_OAEP_SHA_Decryptor> decryptor;
    try {
        if (!keyHex) return Failed(result, ContainerStatus::kBadKey);
        CryptoPP::StringSource keySource(keyHex, true, new CryptoPP::HexDecoder);
        decryptor = std::make_unique<CryptoPP::RSAES_OAEP_SHA_Decryptor>(keySource);
        result.blockLength = decryptor->FixedCiphertextLength();
        result.maxPieceLength = decryptor->FixedMaxPlaintextLength();
    } catch (const CryptoPP::Exception& e) {
        result.message = e.what();
        return Failed(result, ContainerStatus::kBadKey);
    }
    const std::size_t blockLength = result.blockLength;
    if (blockLength == 0) return Failed(result, ContainerStatus::kBadKey);

    // A ciphertext part that is not a whole number of blocks was cut short or padded on the
    // way: the container as a whole is unreadable, rather than silently losing its tail.
    if (ciphertextLength % blockLength != 0) return Failed(result, ContainerStatus::kIncompleteBlock);
    result.blockCount = ciphertextLength / blockLength;

    // Each block yields at most M bytes, so blockCount * M bytes hold every piece; the
    // zero bytes after them end the text in either encoding.
    const std::size_t capacity = result.blockCount * result.maxPieceLength + kPlaintextTerminatorLength;
    plaintext = new unsigned char[capacity]();
    for (std::size_t block = 0; block < result.blockCount; ++block) {
        try {
            CryptoPP::AutoSeededRandomPool random;  // fresh blinding source for every block
            CryptoPP::DecodingResult decoded =
                decryptor->Decrypt(random, ciphertext + block * blockLength, blockLength, plaintext + length);
            if (!decoded.isValidCoding || decoded.messageLength > result.maxPieceLength) {
                delete[] plaintext;
                plaintext = nullptr;
                length = 0;
                return Failed(result, ContainerStatus::kInvalidBlock, static_cast<int>(block));
            }
            length += static_cast<int>(decoded.messageLength);
        } catch (const CryptoPP::Exception& e) {
            // The blocks before this one stay: the caller gets what was decrypted so far.
            result.message = e.what();
            return Failed(result, ContainerStatus::kLibraryError, static_cast<int>(block));
        }
    }
    return result;
}

std::string DescribeContainerResult(const ContainerResult& result) {
    const std::string block = std::to_string(result.failedBlock + 1) + " of " + std::to_string(result.blockCount);
    const std::string library = result.message.empty() ? std::string() : " (" + result.message + ")";
    switch (result.status) {
        case ContainerStatus::kOk:
            return "all " + std::to_string(result.blockCount) + " blocks decrypted";
        case ContainerStatus::kNotAContainer:
            return std::string("not a container: the file does not start with the marker \"") + kContainerMarker +
                   "\" and its zero byte";
        case ContainerStatus::kBadKey:
            return "the private key cannot be read" + library;
        case ContainerStatus::kIncompleteBlock:
            return "the ciphertext part is not a whole number of " + std::to_string(result.blockLength) +
                   "-byte blocks: the container is cut short or damaged";
        case ContainerStatus::kInvalidBlock:
            return "block " + block + " does not decrypt (wrong key, or the block is damaged)";
        case ContainerStatus::kLibraryError:
            return "block " + block + " failed in the library" + library;
    }
    return "unknown result";
}

// Container making with Crypto++: the marker and its zero byte, then one RSAES-OAEP block
// per piece.
#include "description/ContainerWriter.h"

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>

#include <memory>

#include "description/ContainerFormat.h"

namespace {

std::unique_ptr<CryptoPP::RSAES_OAEP_SHA_Encryptor> LoadEncryptor(const std::string& publicKeyHex,
                                                                   std::string& error) {
    try {
        CryptoPP::StringSource source(publicKeyHex, true, new CryptoPP::HexDecoder);
        return std::make_unique<CryptoPP::RSAES_OAEP_SHA_Encryptor>(source);
    } catch (const CryptoPP::Exception& e) {
        error = std::string("the public key cannot be read (") + e.what() + ")";
        return nullptr;
    }
}

}  // namespace

bool MaxPieceLength(const std::string& publicKeyHex, std::size_t& maxPiece, std::string& error) {
    auto encryptor = LoadEncryptor(publicKeyHex, error);
    if (!encryptor) return false;
    maxPiece = encryptor->FixedMaxPlaintextLength();
    return true;
}

std::vector<std::size_t> CutIntoPieces(std::size_t total, std::size_t pieceLength) {
    std::vector<std::size_t> pieces;
    if (pieceLength == 0) return pieces;
    for (std::size_t done = 0; done < total; done += pieceLength)
        pieces.push_back(total - done < pieceLength ? total - done : pieceLength);
    return pieces;
}

bool MakeContainer(const std::string& publicKeyHex, const std::string& stored, const std::vector<std::size_t>& pieces,
                   std::string& container, std::string& error) {
    auto encryptor = LoadEncryptor(publicKeyHex, error);
    if (!encryptor) return false;
    const std::size_t maxPiece = encryptor->FixedMaxPlaintextLength();
    std::size_t total = 0;
    for (std::size_t piece : pieces) {
        if (piece > maxPiece) {
            error = "a piece of " + std::to_string(piece) + " bytes is longer than the " + std::to_string(maxPiece) +
                    " bytes one block can carry";
            return false;
        }
        total += piece;
    }
    if (total != stored.size()) {
        error = "the pieces add up to " + std::to_string(total) + " bytes, not " + std::to_string(stored.size());
        return false;
    }
    std::string out(kContainerMarker, kContainerHeaderLength);
    std::string block(encryptor->FixedCiphertextLength(), '\0');
    try {
        CryptoPP::AutoSeededRandomPool random;
        std::size_t offset = 0;
        for (std::size_t piece : pieces) {
            encryptor->Encrypt(random, reinterpret_cast<const CryptoPP::byte*>(stored.data()) + offset, piece,
                               reinterpret_cast<CryptoPP::byte*>(&block[0]));
            out += block;
            offset += piece;
        }
    } catch (const CryptoPP::Exception& e) {
        error = std::string("encryption failed (") + e.what() + ")";
        return false;
    }
    container.swap(out);
    return true;
}

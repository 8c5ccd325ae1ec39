// Key pairs with Crypto++: generation, and the public half of a private key.
#include "description/KeyPair.h"

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>

namespace {

template <class Key>
std::string HexOf(const Key& key) {
    std::string hex;
    CryptoPP::HexEncoder encoder(new CryptoPP::StringSink(hex), false);
    key.DEREncode(encoder);
    encoder.MessageEnd();
    return hex;
}

}  // namespace

bool GenerateKeyPair(unsigned bits, std::string& privateKeyHex, std::string& publicKeyHex, std::string& error) {
    try {
        CryptoPP::AutoSeededRandomPool random;
        CryptoPP::RSA::PrivateKey privateKey;
        privateKey.GenerateRandomWithKeySize(random, bits);
        if (!privateKey.Validate(random, 3)) {
            error = "the generated key failed its own validation";
            return false;
        }
        privateKeyHex = HexOf(privateKey);
        publicKeyHex = HexOf(CryptoPP::RSA::PublicKey(privateKey));
        return true;
    } catch (const CryptoPP::Exception& e) {
        error = e.what();
        return false;
    }
}

bool PublicKeyFromPrivate(const std::string& privateKeyHex, std::string& publicKeyHex, std::string& error) {
    try {
        CryptoPP::StringSource source(privateKeyHex, true, new CryptoPP::HexDecoder);
        CryptoPP::RSA::PrivateKey privateKey;
        privateKey.BERDecode(source);
        publicKeyHex = HexOf(CryptoPP::RSA::PublicKey(privateKey));
        return true;
    } catch (const CryptoPP::Exception& e) {
        error = e.what();
        return false;
    }
}

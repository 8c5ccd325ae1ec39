// RSA key pairs as hexadecimal DER text: the private key as PKCS #8 PrivateKeyInfo (the form
// Setup.exe compiles in), the public key as X.509 SubjectPublicKeyInfo (the form containers
// are made with). For the publisher tool and the tests.
#pragma once

#include <string>

// A new key pair with a modulus of bits bits. False, with error, when the library refuses.
bool GenerateKeyPair(unsigned bits, std::string& privateKeyHex, std::string& publicKeyHex, std::string& error);

// The public half of a private key. False, with error, when the text is no private key.
bool PublicKeyFromPrivate(const std::string& privateKeyHex, std::string& publicKeyHex, std::string& error);

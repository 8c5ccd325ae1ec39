// eiftool keygen: a new RSA key pair as two hexadecimal key files.
#include "description/KeyPair.h"
#include "tools/eiftool/Arguments.h"
#include "tools/eiftool/Commands.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/Files.h"

namespace {
constexpr unsigned long kDefaultBits = 1024;
constexpr unsigned long kMinBits = 1024;
constexpr unsigned long kMaxBits = 4096;
}  // namespace

int RunKeygen(Arguments args) {
    std::wstring error;
    unsigned long bits = kDefaultBits;
    if (!TakeNumberOption(args, L"--bits", kMinBits, kMaxBits, bits, error) || !ExpectPositional(args, 2, error))
        return Fail(kExitUsage, L"keygen: " + error + L"\nusage: eiftool keygen PRIVATE.hex PUBLIC.hex [--bits N]");
    const std::wstring& privatePath = args[0];
    const std::wstring& publicPath = args[1];
    // A key file is never overwritten: losing a private key makes its containers unreadable.
    for (const std::wstring& path : {privatePath, publicPath})
        if (FileExists(path)) return Fail(kExitFailed, L"keygen: " + path + L" already exists; remove it first");

    std::string privateHex, publicHex, libraryError;
    if (!GenerateKeyPair(bits, privateHex, publicHex, libraryError))
        return Fail(kExitFailed, L"keygen: " + Widen(libraryError));
    if (!WriteFileBytes(privatePath, privateHex + "\n"))
        return Fail(kExitFailed, L"keygen: cannot write " + privatePath);
    if (!WriteFileBytes(publicPath, publicHex + "\n"))
        return Fail(kExitFailed, L"keygen: cannot write " + publicPath);
    Say(L"keygen: " + std::to_wstring(bits) + L"-bit key pair: private key (PKCS #8 DER, hex) in " + privatePath +
        L", public key (X.509 SubjectPublicKeyInfo DER, hex) in " + publicPath);
    return 0;
}

// Reading a description or a container for the checking commands.
#include "tools/eiftool/DescriptionSource.h"

#include <PrivateKey.h>

#include "description/ContainerFormat.h"
#include "description/ContainerReader.h"
#include "description/ContainerWriter.h"
#include "description/KeyPair.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/Files.h"

const char* CompiledInKeyHex() { return kSetupPrivateKeyHex; }

namespace {

bool StartsWithMarker(const std::string& file) {
    return file.size() >= kContainerHeaderLength &&
           file.compare(0, kContainerHeaderLength, std::string(kContainerMarker, kContainerHeaderLength)) == 0;
}

}  // namespace

bool ReadDescriptionSource(const std::wstring& path, const std::string& keyHex, DescriptionSource& source,
                           std::wstring& error) {
    std::string file;
    if (!ReadFileBytes(path, file)) {
        error = L"cannot read " + path;
        return false;
    }
    source = DescriptionSource();
    source.fileSize = file.size();
    std::string publicKeyHex, keyError;
    if (!PublicKeyFromPrivate(keyHex, publicKeyHex, keyError) ||
        !MaxPieceLength(publicKeyHex, source.maxPieceLength, keyError)) {
        error = L"the private key cannot be read: " + Widen(keyError);
        return false;
    }
    if (!StartsWithMarker(file)) {
        source.stored = file;
        // B follows from M for OAEP with SHA-1 and a modulus of whole bytes: M = B - 2 * 20 - 2.
        source.blockLength = source.maxPieceLength + 42;
        return true;
    }
    source.isContainer = true;
    unsigned char* plaintext = nullptr;
    int length = 0;
    ContainerResult result = DecryptContainer(reinterpret_cast<const unsigned char*>(file.data()), file.size(),
                                              keyHex.c_str(), plaintext, length);
    if (plaintext) source.stored.assign(reinterpret_cast<const char*>(plaintext), static_cast<std::size_t>(length));
    delete[] plaintext;
    if (result.status != ContainerStatus::kOk) {
        error = path + L": " + Widen(DescribeContainerResult(result));
        return false;
    }
    source.blockLength = result.blockLength;
    source.maxPieceLength = result.maxPieceLength;
    return true;
}

std::size_t PackedContainerSize(std::size_t storedLength, std::size_t blockLength, std::size_t maxPieceLength) {
    if (maxPieceLength == 0) return kContainerHeaderLength;
    return kContainerHeaderLength + (storedLength + maxPieceLength - 1) / maxPieceLength * blockLength;
}

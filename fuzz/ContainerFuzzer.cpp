// Fuzz target: the container reader on any bytes, with the private key the program carries.
// Besides the sanitizers' own checks it holds the reader to its contract: data only with a
// plaintext length within blockCount * M, and zero bytes from there to the block's end.
#include <PrivateKey.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "description/ContainerReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    unsigned char* plaintext = reinterpret_cast<unsigned char*>(1);
    int length = -1;
    ContainerResult result = DecryptContainer(data, size, kSetupPrivateKeyHex, plaintext, length);
    bool handsBack = result.status == ContainerStatus::kOk || result.status == ContainerStatus::kLibraryError;
    if (handsBack != (plaintext != nullptr)) std::abort();
    if (!plaintext) {
        if (length != 0) std::abort();
        return 0;
    }
    const std::size_t capacity = result.blockCount * result.maxPieceLength + 2;
    if (length < 0 || static_cast<std::size_t>(length) > capacity - 2) std::abort();
    for (std::size_t i = static_cast<std::size_t>(length); i < capacity; ++i)
        if (plaintext[i] != 0) std::abort();
    delete[] plaintext;
    return 0;
}

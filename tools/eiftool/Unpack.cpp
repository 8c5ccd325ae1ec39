// eiftool unpack: a container's plaintext back, through the reader that Setup.exe uses.
#include "description/ContainerReader.h"
#include "tools/eiftool/Arguments.h"
#include "tools/eiftool/Commands.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/Files.h"

int RunUnpack(Arguments args) {
    std::wstring error;
    if (!ExpectPositional(args, 3, error))
        return Fail(kExitUsage, L"unpack: " + error + L"\nusage: eiftool unpack PRIVATE.hex IN.eif OUT");
    const std::wstring& keyPath = args[0];
    const std::wstring& inPath = args[1];
    const std::wstring& outPath = args[2];

    std::string keyHex;
    if (!ReadKeyFile(keyPath, keyHex, error)) return Fail(kExitFailed, L"unpack: " + error);
    std::string file;
    if (!ReadFileBytes(inPath, file)) return Fail(kExitFailed, L"unpack: cannot read " + inPath);

    unsigned char* plaintext = nullptr;
    int length = 0;
    ContainerResult result = DecryptContainer(reinterpret_cast<const unsigned char*>(file.data()), file.size(),
                                              keyHex.c_str(), plaintext, length);
    std::string bytes = plaintext ? std::string(reinterpret_cast<char*>(plaintext), length) : std::string();
    delete[] plaintext;
    if (result.status != ContainerStatus::kOk)
        return Fail(kExitFailed, L"unpack: " + inPath + L": " + Widen(DescribeContainerResult(result)));
    if (!WriteFileBytes(outPath, bytes)) return Fail(kExitFailed, L"unpack: cannot write " + outPath);
    Say(L"unpack: " + outPath + L": " + std::to_wstring(bytes.size()) + L" bytes from " +
        std::to_wstring(result.blockCount) + L" blocks");
    return 0;
}

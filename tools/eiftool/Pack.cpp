// eiftool pack: a description's stored bytes into an encrypted container.
#include "description/ContainerWriter.h"
#include "tools/eiftool/Arguments.h"
#include "tools/eiftool/Commands.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/Files.h"

int RunPack(Arguments args) {
    const std::wstring usage = L"\nusage: eiftool pack PUBLIC.hex DESCRIPTION OUT.eif [--piece N]";
    std::wstring error;
    unsigned long piece = 0;  // 0: pieces of the most a block can carry
    if (!TakeNumberOption(args, L"--piece", 1, 0xFFFF, piece, error) || !ExpectPositional(args, 3, error))
        return Fail(kExitUsage, L"pack: " + error + usage);
    const std::wstring& keyPath = args[0];
    const std::wstring& descriptionPath = args[1];
    const std::wstring& outPath = args[2];

    std::string keyHex;
    if (!ReadKeyFile(keyPath, keyHex, error)) return Fail(kExitFailed, L"pack: " + error);
    std::size_t maxPiece = 0;
    std::string libraryError;
    if (!MaxPieceLength(keyHex, maxPiece, libraryError))
        return Fail(kExitFailed, L"pack: " + keyPath + L": " + Widen(libraryError));
    if (piece > maxPiece)
        return Fail(kExitUsage, L"pack: --piece " + std::to_wstring(piece) + L" is longer than the " +
                                    std::to_wstring(maxPiece) + L" bytes one block of this key can carry");
    if (piece == 0) piece = maxPiece;

    std::string stored;
    if (!ReadFileBytes(descriptionPath, stored)) return Fail(kExitFailed, L"pack: cannot read " + descriptionPath);
    if (stored.empty()) return Fail(kExitFailed, L"pack: " + descriptionPath + L" is empty");

    std::string container;
    std::vector<std::size_t> pieces = CutIntoPieces(stored.size(), piece);
    if (!MakeContainer(keyHex, stored, pieces, container, libraryError))
        return Fail(kExitFailed, L"pack: " + Widen(libraryError));
    if (!WriteFileBytes(outPath, container)) return Fail(kExitFailed, L"pack: cannot write " + outPath);
    Say(L"pack: " + outPath + L": " + std::to_wstring(stored.size()) + L" bytes in " + std::to_wstring(pieces.size()) +
        L" blocks (pieces of at most " + std::to_wstring(piece) + L" bytes), " + std::to_wstring(container.size()) +
        L" bytes");
    return 0;
}

// Packs a description into a container for the benchmarks, with the library the publisher
// tool uses, so that the benchmarks do not depend on that tool's command line.
//
//   bench_pack.exe PUBLIC_KEY_HEX_FILE DESCRIPTION CONTAINER
#include <cstdio>
#include <string>

#include "description/ContainerWriter.h"

namespace {

bool ReadAll(const wchar_t* path, std::string& bytes) {
    FILE* in = _wfopen(path, L"rb");
    if (!in) return false;
    char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, got);
    fclose(in);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    std::string key, stored, container, error;
    if (!ReadAll(argv[1], key) || !ReadAll(argv[2], stored)) return 2;
    std::string hex;
    for (char c : key)
        if (c != ' ' && c != '\r' && c != '\n' && c != '\t') hex += c;
    size_t piece = 0;
    if (!MaxPieceLength(hex, piece, error) ||
        !MakeContainer(hex, stored, CutIntoPieces(stored.size(), piece), container, error)) {
        fprintf(stderr, "bench_pack: %s\n", error.c_str());
        return 1;
    }
    FILE* out = _wfopen(argv[3], L"wb");
    if (!out) return 1;
    bool written = fwrite(container.data(), 1, container.size(), out) == container.size();
    return fclose(out) == 0 && written ? 0 : 1;
}

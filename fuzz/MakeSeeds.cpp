// Seeds for the container fuzz target: every description given, packed into a container
// under the public key with pieces of the full length M and, for a second seed, of uneven
// lengths, so that fuzzing starts from containers whose blocks all decrypt.
//
//   make_seeds PUBLIC_KEY_HEX_FILE OUT_DIR DESCRIPTION...
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "description/ContainerWriter.h"

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Hex(const std::string& text) {
    std::string hex;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    return hex;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_seeds PUBLIC_KEY_HEX_FILE OUT_DIR DESCRIPTION...\n");
        return 2;
    }
    const std::string key = Hex(ReadAll(argv[1]));
    std::size_t maxPiece = 0;
    std::string error;
    if (!MaxPieceLength(key, maxPiece, error)) {
        std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
        return 1;
    }
    int written = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string stored = ReadAll(argv[i]);
        std::vector<std::size_t> uneven;
        for (std::size_t left = stored.size(), n = 1; left > 0; n = (n + 7) % maxPiece + 1) {
            std::size_t piece = n < left ? n : left;
            uneven.push_back(piece);
            left -= piece;
        }
        for (const auto& pieces : {CutIntoPieces(stored.size(), maxPiece), uneven}) {
            std::string container;
            if (!MakeContainer(key, stored, pieces, container, error)) {
                std::fprintf(stderr, "make_seeds: %s: %s\n", argv[i], error.c_str());
                return 1;
            }
            std::ostringstream name;
            name << argv[2] << "/seed-" << written++ << ".eif";
            std::ofstream(name.str(), std::ios::binary) << container;
        }
    }
    return 0;
}

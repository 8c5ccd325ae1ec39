// Makes encrypted description containers: the stored bytes of a description cut into
// pieces, each encrypted with RSAES-OAEP (SHA-1, MGF1 with SHA-1) under a public key given
// as the hexadecimal text of its X.509 SubjectPublicKeyInfo DER form. For the publisher
// tool and the tests; Setup.exe only reads containers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// M, the most bytes one block can carry under the key; false (with error) when the key
// text is not a public key.
bool MaxPieceLength(const std::string& publicKeyHex, std::size_t& maxPiece, std::string& error);

// Lengths of pieces of pieceLength bytes (the last one shorter) that together make total.
std::vector<std::size_t> CutIntoPieces(std::size_t total, std::size_t pieceLength);

// The container of stored, cut as pieces says (lengths in order, adding up to its size, none
// longer than M). False, with error and container untouched, on a bad key or bad pieces.
bool MakeContainer(const std::string& publicKeyHex, const std::string& stored, const std::vector<std::size_t>& pieces,
                   std::string& container, std::string& error);

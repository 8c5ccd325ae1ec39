// Layout of an encrypted description container (.eif): the 13 marker characters, one zero
// byte, then k RSAES-OAEP (SHA-1, MGF1 with SHA-1) ciphertext blocks of the modulus length,
// each carrying one piece of the description's stored bytes. Nothing else: no count, no
// length, no checksum.
#pragma once

#include <cstddef>

// The marker and its zero byte, compared byte for byte (letter case included).
constexpr char kContainerMarker[] = "10VnoitpyrcnE";  // sizeof includes the zero byte
constexpr std::size_t kContainerHeaderLength = sizeof kContainerMarker;  // 14

// Zero bytes after every plaintext block, so that its text ends there in ANSI and UTF-16.
constexpr std::size_t kPlaintextTerminatorLength = 2;

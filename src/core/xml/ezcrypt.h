// The stream cipher of the enciphered XML file form. A 16-bit linear
// congruential key stream with output feedback: for each byte d,
// o = d XOR (R >> 8), then R = (((o + (R AND 255)) AND 255) * M + A) AND 65535.
// Deciphering feeds back the output (the plaintext); the enciphering
// direction XORs the same way and feeds back its input (the plaintext).
#pragma once

#include <cstdint>
#include <span>

namespace vro {

struct TEZCryptKey {
    std::uint16_t M; // multiplier
    std::uint16_t A; // increment
    std::uint16_t R; // start value
};

// The program's key.
inline constexpr TEZCryptKey kXmlCryptKey{40693, 13849, 23100};

// Deciphers `in` into `out`; does nothing and returns false when the
// lengths differ. `in` and `out` may be the same bytes.
bool EZDecipher(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const TEZCryptKey& key = kXmlCryptKey);
// The matching enciphering direction (the program writes no enciphered
// files; this makes them for tests and tools).
bool EZEncipher(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const TEZCryptKey& key = kXmlCryptKey);

} // namespace vro

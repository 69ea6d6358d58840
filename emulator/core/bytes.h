// Small byte helpers shared by the virtual reader: big-endian fields, XOR checks and the hex text
// used by the frame log and the control channel ("AA B0 00 07").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vreader {

using Bytes = std::vector<uint8_t>;

inline uint8_t xor_of(std::span<const uint8_t> bytes) {
    uint8_t x = 0;
    for (uint8_t b : bytes) x ^= b;
    return x;
}

inline uint16_t be16(uint8_t high, uint8_t low) { return static_cast<uint16_t>((high << 8) | low); }

// "AA B0 00 07": upper-case pairs separated by single spaces.
std::string to_hex(std::span<const uint8_t> bytes);

// Reads hex pairs, ignoring spaces; nullopt for an odd count of digits or any other character.
std::optional<Bytes> from_hex(std::string_view text);

// A number in decimal or with a 0x prefix in hexadecimal; nullopt unless the whole text is one.
std::optional<uint32_t> parse_number(std::string_view text);

}  // namespace vreader

// Single DES of FIPS 46 in electronic codebook mode, the computation behind DES_Encrypt,
// DES_Decrypt, ic_encrypt and ic_decrypt. Pure functions, no state between calls.
//
// Bytes map to the standard's bit numbering most significant bit first: byte 0 of a block (or
// key) holds bits 1..8, byte 7 bits 57..64. The low bit of each key byte is a parity bit that the
// key schedule drops; parity is not tested.
#pragma once

#include <array>
#include <cstdint>

namespace quillet::des {

enum class Direction { encrypt, decrypt };

using Key = std::array<uint8_t, 8>;

// One round's 48-bit subkey split in the two words the round function works with: the 6-bit
// groups of S-boxes 1, 7, 5, 3 and of S-boxes 8, 6, 4, 2, one group in the low six bits of each byte.
struct RoundKey {
    uint32_t odd_boxes;
    uint32_t even_boxes;
};

// The 16 subkeys in the order they are applied: K1..K16 to encrypt, K16..K1 to decrypt.
using Schedule = std::array<RoundKey, 16>;

// The key of a call: the first keylen bytes of key and zero bytes after them. A keylen of 8 or
// more takes all 8 bytes; a keylen of 0 or less gives the all-zero key. Only the bytes taken are
// read.
Key key_from(const uint8_t* key, int keylen);

Schedule key_schedule(const Key& key, Direction direction);

// The longest input of one call: the size of its output (len rounded up to whole blocks) must
// fit the signed 32-bit result.
inline constexpr uint32_t max_length = 0x7FFFFFF8;

// Output size of a call: len rounded up to a multiple of 8.
constexpr int32_t output_size(uint32_t len) { return static_cast<int32_t>((len + 7u) / 8u * 8u); }

// Processes len bytes of in (the last block completed with zero bytes) into output_size(len)
// bytes of out and returns that size. Any length up to max_length is processed whole, with no
// intermediate buffer; a longer one is refused with 0 and nothing is read or written. in and out
// may overlap in any way: the blocks are taken in the order that reads each input block before
// any output lands on it.
int32_t crypt(const uint8_t* key, int keylen, const uint8_t* in, uint32_t len, uint8_t* out, Direction direction);

}  // namespace quillet::des

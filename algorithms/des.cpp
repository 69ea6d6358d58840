#include "algorithms/des.h"

#include <cstddef>
#include <cstring>

namespace quillet::des {

namespace {

// ---- the standard's tables (bit positions count from 1, most significant bit first) ----

// clang-format off
constexpr std::array<uint8_t, 56> permuted_choice_1{
    57, 49, 41, 33, 25, 17,  9,
     1, 58, 50, 42, 34, 26, 18,
    10,  2, 59, 51, 43, 35, 27,
    19, 11,  3, 60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15,
     7, 62, 54, 46, 38, 30, 22,
    14,  6, 61, 53, 45, 37, 29,
    21, 13,  5, 28, 20, 12,  4};

constexpr std::array<uint8_t, 48> permuted_choice_2{
    14, 17, 11, 24,  1,  5,
     3, 28, 15,  6, 21, 10,
    23, 19, 12,  4, 26,  8,
    16,  7, 27, 20, 13,  2,
    41, 52, 31, 37, 47, 55,
    30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53,
    46, 42, 50, 36, 29, 32};

constexpr std::array<uint8_t, 16> left_shifts{1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr std::array<uint8_t, 32> permutation_p{
    16,  7, 20, 21,
    29, 12, 28, 17,
     1, 15, 23, 26,
     5, 18, 31, 10,
     2,  8, 24, 14,
    32, 27,  3,  9,
    19, 13, 30,  6,
    22, 11,  4, 25};

// S-boxes S1..S8, each 4 rows of 16 columns.
constexpr std::array<std::array<uint8_t, 64>, 8> s_boxes{{
    {14,  4, 13,  1,  2, 15, 11,  8,  3, 10,  6, 12,  5,  9,  0,  7,
      0, 15,  7,  4, 14,  2, 13,  1, 10,  6, 12, 11,  9,  5,  3,  8,
      4,  1, 14,  8, 13,  6,  2, 11, 15, 12,  9,  7,  3, 10,  5,  0,
     15, 12,  8,  2,  4,  9,  1,  7,  5, 11,  3, 14, 10,  0,  6, 13},
    {15,  1,  8, 14,  6, 11,  3,  4,  9,  7,  2, 13, 12,  0,  5, 10,
      3, 13,  4,  7, 15,  2,  8, 14, 12,  0,  1, 10,  6,  9, 11,  5,
      0, 14,  7, 11, 10,  4, 13,  1,  5,  8, 12,  6,  9,  3,  2, 15,
     13,  8, 10,  1,  3, 15,  4,  2, 11,  6,  7, 12,  0,  5, 14,  9},
    {10,  0,  9, 14,  6,  3, 15,  5,  1, 13, 12,  7, 11,  4,  2,  8,
     13,  7,  0,  9,  3,  4,  6, 10,  2,  8,  5, 14, 12, 11, 15,  1,
     13,  6,  4,  9,  8, 15,  3,  0, 11,  1,  2, 12,  5, 10, 14,  7,
      1, 10, 13,  0,  6,  9,  8,  7,  4, 15, 14,  3, 11,  5,  2, 12},
    { 7, 13, 14,  3,  0,  6,  9, 10,  1,  2,  8,  5, 11, 12,  4, 15,
     13,  8, 11,  5,  6, 15,  0,  3,  4,  7,  2, 12,  1, 10, 14,  9,
     10,  6,  9,  0, 12, 11,  7, 13, 15,  1,  3, 14,  5,  2,  8,  4,
      3, 15,  0,  6, 10,  1, 13,  8,  9,  4,  5, 11, 12,  7,  2, 14},
    { 2, 12,  4,  1,  7, 10, 11,  6,  8,  5,  3, 15, 13,  0, 14,  9,
     14, 11,  2, 12,  4,  7, 13,  1,  5,  0, 15, 10,  3,  9,  8,  6,
      4,  2,  1, 11, 10, 13,  7,  8, 15,  9, 12,  5,  6,  3,  0, 14,
     11,  8, 12,  7,  1, 14,  2, 13,  6, 15,  0,  9, 10,  4,  5,  3},
    {12,  1, 10, 15,  9,  2,  6,  8,  0, 13,  3,  4, 14,  7,  5, 11,
     10, 15,  4,  2,  7, 12,  9,  5,  6,  1, 13, 14,  0, 11,  3,  8,
      9, 14, 15,  5,  2,  8, 12,  3,  7,  0,  4, 10,  1, 13, 11,  6,
      4,  3,  2, 12,  9,  5, 15, 10, 11, 14,  1,  7,  6,  0,  8, 13},
    { 4, 11,  2, 14, 15,  0,  8, 13,  3, 12,  9,  7,  5, 10,  6,  1,
     13,  0, 11,  7,  4,  9,  1, 10, 14,  3,  5, 12,  2, 15,  8,  6,
      1,  4, 11, 13, 12,  3,  7, 14, 10, 15,  6,  8,  0,  5,  9,  2,
      6, 11, 13,  8,  1,  4, 10,  7,  9,  5,  0, 15, 14,  2,  3, 12},
    {13,  2,  8,  4,  6, 15, 11,  1, 10,  9,  3, 14,  5,  0, 12,  7,
      1, 15, 13,  8, 10,  3,  7,  4, 12,  5,  6, 11,  0, 14,  9,  2,
      7, 11,  4,  1,  9, 12, 14,  2,  0,  6, 10, 13, 15,  3,  5,  8,
      2,  1, 14,  7,  4, 10,  8, 13, 15, 12,  9,  0,  3,  5,  6, 11},
}};
// clang-format on

// Picks the bits named by table (1-based, from the most significant of in_width bits) in order.
template <size_t N>
constexpr uint64_t permute(uint64_t in, unsigned in_width, const std::array<uint8_t, N>& table) {
    uint64_t out = 0;
    for (uint8_t position : table) out = (out << 1) | ((in >> (in_width - position)) & 1u);
    return out;
}

constexpr uint32_t rotate_left(uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }
constexpr uint32_t rotate_right(uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); }

// ---- the round function ----
//
// The halves are kept rotated left by one bit through the 16 rounds. Then the expansion's 6-bit
// group of S-box i (0-based) is bits 28-4i .. 33-4i (mod 32) of the rotated half h, and the
// groups lie in the low six bits of the bytes of two words: h itself holds the groups of S-boxes
// 8, 6, 4, 2 (bytes 0..3), h rotated left by 4 those of S-boxes 1, 7, 5, 3. Each S-box's output
// goes through P and the same one-bit rotation in one combined table, so a round is 8 lookups.

constexpr unsigned half_rotation = 1;

using CombinedTable = std::array<std::array<uint32_t, 64>, 8>;

constexpr CombinedTable make_combined_tables() {
    CombinedTable tables{};
    for (size_t box = 0; box < 8; ++box) {
        for (unsigned group = 0; group < 64; ++group) {
            const unsigned row = ((group >> 4) & 2u) | (group & 1u);
            const unsigned column = (group >> 1) & 0x0Fu;
            const uint64_t before_p = uint64_t{s_boxes[box][row * 16 + column]} << (28 - 4 * box);
            const auto after_p = static_cast<uint32_t>(permute(before_p, 32, permutation_p));
            tables[box][group] = rotate_left(after_p, half_rotation);
        }
    }
    return tables;
}

constexpr CombinedTable combined = make_combined_tables();

// The entry of table for the group in the low six bits of byte `byte` of words.
inline uint32_t lookup(const std::array<uint32_t, 64>& table, uint32_t words, unsigned byte) {
    return table[(words >> (8 * byte)) & 0x3F];
}

inline uint32_t round_function(uint32_t half, const RoundKey& k) {
    const uint32_t odd = rotate_left(half, 4) ^ k.odd_boxes;
    const uint32_t even = half ^ k.even_boxes;
    return lookup(combined[0], odd, 0) ^ lookup(combined[6], odd, 1) ^ lookup(combined[4], odd, 2) ^
           lookup(combined[2], odd, 3) ^ lookup(combined[7], even, 0) ^ lookup(combined[5], even, 1) ^
           lookup(combined[3], even, 2) ^ lookup(combined[1], even, 3);
}

// ---- initial and final permutations as five bit-group exchanges between the halves ----

inline void exchange_bits(uint32_t& a, uint32_t& b, unsigned shift, uint32_t mask) {
    const uint32_t t = ((a >> shift) ^ b) & mask;
    b ^= t;
    a ^= t << shift;
}

// (left, right) = the block's two words -> L0, R0, each rotated as the rounds keep them.
inline void initial_permutation(uint32_t& left, uint32_t& right) {
    exchange_bits(left, right, 4, 0x0F0F0F0F);
    exchange_bits(left, right, 16, 0x0000FFFF);
    exchange_bits(right, left, 2, 0x33333333);
    exchange_bits(right, left, 8, 0x00FF00FF);
    exchange_bits(left, right, 1, 0x55555555);
    left = rotate_left(left, half_rotation);
    right = rotate_left(right, half_rotation);
}

// The exact inverse: the preoutput (R16, L16), rotated as the rounds keep it -> the output words.
inline void final_permutation(uint32_t& left, uint32_t& right) {
    left = rotate_right(left, half_rotation);
    right = rotate_right(right, half_rotation);
    exchange_bits(left, right, 1, 0x55555555);
    exchange_bits(right, left, 8, 0x00FF00FF);
    exchange_bits(right, left, 2, 0x33333333);
    exchange_bits(left, right, 16, 0x0000FFFF);
    exchange_bits(left, right, 4, 0x0F0F0F0F);
}

inline uint32_t load_be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

inline void store_be32(uint32_t v, uint8_t* p) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Encrypts or decrypts `count` consecutive blocks side by side: their rounds are independent, so
// the processor overlaps them. All input blocks are read before any output is written.
template <size_t count>
inline void crypt_blocks(const Schedule& schedule, const uint8_t* in, uint8_t* out) {
    std::array<uint32_t, count> left, right;
    for (size_t b = 0; b < count; ++b) {
        left[b] = load_be32(in + 8 * b);
        right[b] = load_be32(in + 8 * b + 4);
        initial_permutation(left[b], right[b]);
    }
    for (size_t round = 0; round < schedule.size(); round += 2) {
        for (size_t b = 0; b < count; ++b) left[b] ^= round_function(right[b], schedule[round]);
        for (size_t b = 0; b < count; ++b) right[b] ^= round_function(left[b], schedule[round + 1]);
    }
    for (size_t b = 0; b < count; ++b) {
        final_permutation(right[b], left[b]);  // the halves are exchanged after the last round
        store_be32(right[b], out + 8 * b);
        store_be32(left[b], out + 8 * b + 4);
    }
}

// Blocks taken side by side: three keep every value in the registers of x86-64; four do not.
constexpr size_t side_by_side = 3;

// The whole blocks 0..count-1, side_by_side at a time, in ascending or descending order.
void crypt_whole_blocks(const Schedule& schedule, const uint8_t* in, uint8_t* out, size_t count, bool descending) {
    const size_t groups = count / side_by_side;
    for (size_t group = 0; group < groups; ++group) {
        const size_t first = descending ? count - side_by_side * (group + 1) : side_by_side * group;
        crypt_blocks<side_by_side>(schedule, in + 8 * first, out + 8 * first);
    }
    for (size_t n = groups * side_by_side; n < count; ++n) {  // the blocks left over
        const size_t block = descending ? count - 1 - n : n;
        crypt_blocks<1>(schedule, in + 8 * block, out + 8 * block);
    }
}

// The short block of `rest` bytes after the whole ones, completed with zero bytes.
void crypt_short_block(const Schedule& schedule, const uint8_t* in, uint8_t* out, size_t rest) {
    std::array<uint8_t, 8> last{};
    std::memcpy(last.data(), in, rest);
    crypt_blocks<1>(schedule, last.data(), out);
}

}  // namespace

Key key_from(const uint8_t* key, int keylen) {
    Key k{};
    const size_t taken = keylen <= 0 ? 0 : keylen >= 8 ? 8 : static_cast<size_t>(keylen);
    if (taken > 0) std::memcpy(k.data(), key, taken);
    return k;
}

Schedule key_schedule(const Key& key, Direction direction) {
    uint64_t key_bits = 0;
    for (uint8_t b : key) key_bits = (key_bits << 8) | b;
    const uint64_t cd = permute(key_bits, 64, permuted_choice_1);
    auto c = static_cast<uint32_t>(cd >> 28);
    auto d = static_cast<uint32_t>(cd & 0x0FFFFFFF);

    Schedule schedule{};
    for (size_t round = 0; round < schedule.size(); ++round) {
        const unsigned n = left_shifts[round];
        c = ((c << n) | (c >> (28 - n))) & 0x0FFFFFFF;
        d = ((d << n) | (d >> (28 - n))) & 0x0FFFFFFF;
        const uint64_t subkey = permute(uint64_t{c} << 28 | d, 56, permuted_choice_2);
        const auto group = [subkey](unsigned box) { return static_cast<uint32_t>((subkey >> (42 - 6 * box)) & 0x3F); };
        const size_t slot = direction == Direction::encrypt ? round : schedule.size() - 1 - round;
        schedule[slot].odd_boxes = group(0) | group(6) << 8 | group(4) << 16 | group(2) << 24;
        schedule[slot].even_boxes = group(7) | group(5) << 8 | group(3) << 16 | group(1) << 24;
    }
    return schedule;
}

int32_t crypt(const uint8_t* key, int keylen, const uint8_t* in, uint32_t len, uint8_t* out, Direction direction) {
    if (len > max_length) return 0;
    const Schedule schedule = key_schedule(key_from(key, keylen), direction);
    const size_t whole = len / 8;
    const size_t rest = len % 8;

    // When out starts inside the input, going forward would overwrite input blocks before they
    // are read; going from the last block back reads every block first.
    const auto in_at = reinterpret_cast<uintptr_t>(in);
    const auto out_at = reinterpret_cast<uintptr_t>(out);
    const bool descending = out_at > in_at && out_at - in_at < len;

    if (descending && rest != 0) crypt_short_block(schedule, in + 8 * whole, out + 8 * whole, rest);
    crypt_whole_blocks(schedule, in, out, whole, descending);
    if (!descending && rest != 0) crypt_short_block(schedule, in + 8 * whole, out + 8 * whole, rest);
    return output_size(len);
}

}  // namespace quillet::des

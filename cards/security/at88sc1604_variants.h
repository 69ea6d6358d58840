// The three AT88SC1604 variants as numbers: everything in which the AT88SC1604, AT88SC1604B and
// AT88SC1604C differ lives in their rows below, and the one implementation (at88sc1604.cpp) reads
// nothing else. Reviewing a variant means reading its row.
//
// The caller names a zone (0..4) and an offset within it; frames carry the zone number and the
// absolute address, zone base + offset. Each application zone n (1..4) keeps a code block just in
// front of its data: security code, error counter (where the variant has one), erase code, erase
// counter. Zone 1's block lies at the end of zone 0, zone n's (2..4) at the end of zone n - 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/exchange.h"
#include "wire/memory_instructions.h"

namespace quillet::at88sc1604 {

inline constexpr uint8_t card_type = 0x73;
inline constexpr int zone_count = 5;  // zone 0, the card's system area, and application zones 1..4
inline constexpr int chunk_size = 144;
inline constexpr int code_size = 2;

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t personalise = 0x73;
}  // namespace command

// What one data operation accepts in one zone: the largest offset (else bad_address) and the
// largest offset + length (else bad_length).
struct Bounds {
    int last_offset;
    int end;
};
using ZoneBounds = std::array<Bounds, zone_count>;

// A position the code operations reach through the data operations, written as the caller of
// the read or erase would name it: zone and offset within that zone.
struct Place {
    int zone;
    int offset;
};

// Where a zone's codes and counters are; nullopt where the zone has none.
struct CodeBlock {
    std::optional<Place> security_code;
    std::optional<Place> error_counter;
    std::optional<Place> erase_code;
    std::optional<Place> erase_counter;
};

// The reply wait of each data operation (the code presentations, fuse simulation and
// personalisation always wait normally).
struct Waits {
    Wait read;
    Wait erase;
    Wait write;
    Wait code_area_write;
};

// Up to three accepted values of one identification byte.
struct OneOf {
    std::array<uint8_t, 3> values;
    size_t count;

    constexpr bool has(uint8_t b) const {
        for (size_t i = 0; i < count; ++i)
            if (values[i] == b) return true;
        return false;
    }
};
constexpr OneOf one_of(uint8_t a) { return {{a, 0, 0}, 1}; }
constexpr OneOf one_of(uint8_t a, uint8_t b, uint8_t c) { return {{a, b, c}, 3}; }

// Identification bytes 0..1 of zone 0: first the registered card codes of the family index (if
// the variant has one), then each byte by itself against its accepted values.
struct Identification {
    std::optional<int> registered_family;
    OneOf byte0;
    OneOf byte1;
};

struct VariantTable {
    uint8_t variant_byte;                // frame byte 5
    uint8_t security_code_variant_byte;  // frame byte 5 of the present-security-code frame
    std::array<int, zone_count> zone_base;
    ZoneBounds read;   // reads may run on across the later zones to the end of readable memory
    ZoneBounds erase;  // also the bounds of the code-area write
    ZoneBounds write;
    Waits waits;
    uint16_t personalise_address;  // frame bytes 7..8 of the personalise frame
    std::array<CodeBlock, zone_count> code_blocks;
    Identification identification;
};

inline constexpr VariantTable at88sc1604_table{
    .variant_byte = 0x00,
    .security_code_variant_byte = 0x00,
    .zone_base = {0, 27, 1227, 1488, 1749},
    .read = {{{26, 2007}, {1199, 1980}, {260, 780}, {260, 519}, {257, 258}}},
    .erase = {{{26, 27}, {1199, 1200}, {260, 261}, {260, 261}, {257, 258}}},
    .write = {{{20, 21}, {1194, 1195}, {255, 256}, {255, 256}, {257, 258}}},
    .waits = {.read = Wait::normal, .erase = Wait::normal, .write = Wait::long_, .code_area_write = Wait::long_},
    .personalise_address = 0x07F4,
    .code_blocks = {{
        {Place{0, 10}, Place{0, 12}, std::nullopt, std::nullopt},
        {Place{0, 21}, Place{0, 23}, Place{0, 24}, Place{0, 26}},
        {Place{1, 1195}, std::nullopt, Place{1, 1197}, Place{1, 1199}},
        {Place{2, 256}, std::nullopt, Place{2, 258}, Place{2, 260}},
        {Place{3, 256}, std::nullopt, Place{3, 258}, Place{3, 260}},
    }},
    .identification = {1, one_of(0x31, 0x69, 0x16), one_of(0x3A, 0x35, 0x04)},
};

inline constexpr VariantTable at88sc1604b_table{
    .variant_byte = 0x0B,
    .security_code_variant_byte = 0x0B,
    .zone_base = {0, 27, 545, 1063, 1581},
    .read = {{{26, 2042}, {517, 2015}, {517, 1497}, {517, 979}, {460, 461}}},
    .erase = {{{26, 27}, {517, 518}, {517, 518}, {517, 518}, {460, 461}}},
    .write = {{{20, 21}, {511, 512}, {511, 512}, {511, 512}, {460, 461}}},
    .waits = {.read = Wait::normal, .erase = Wait::long_, .write = Wait::long_, .code_area_write = Wait::normal},
    .personalise_address = 0x07FC,
    .code_blocks = {{
        {Place{0, 10}, Place{0, 12}, std::nullopt, std::nullopt},
        {Place{0, 21}, Place{0, 23}, Place{0, 24}, Place{0, 26}},
        {Place{1, 512}, Place{1, 514}, Place{1, 515}, Place{1, 517}},
        {Place{2, 512}, Place{2, 514}, Place{2, 515}, Place{2, 517}},
        {Place{3, 512}, Place{3, 514}, Place{3, 515}, Place{3, 517}},
    }},
    .identification = {2, one_of(0x72), one_of(0x55)},
};

// Reads end at absolute 2010 although zone 4 is written up to 2037; in zone 4 a read accepts
// offsets up to 461 but ends at 433, so offsets 433..461 are refused with bad_length. Callers and
// instruction files rely on these bounds as they are.
inline constexpr VariantTable at88sc1604c_table{
    .variant_byte = 0x0B,
    .security_code_variant_byte = 0x00,
    .zone_base = {0, 27, 544, 1061, 1578},
    .read = {{{26, 2011}, {516, 1984}, {516, 1467}, {516, 950}, {461, 433}}},
    .erase = {{{26, 27}, {516, 517}, {516, 517}, {516, 517}, {461, 462}}},
    .write = {{{20, 21}, {511, 512}, {511, 512}, {511, 512}, {459, 460}}},
    .waits = {.read = Wait::normal, .erase = Wait::long_, .write = Wait::long_, .code_area_write = Wait::normal},
    .personalise_address = 0x07FC,
    .code_blocks = {{
        {Place{0, 10}, Place{0, 12}, std::nullopt, std::nullopt},
        {Place{0, 21}, Place{0, 23}, Place{0, 24}, Place{0, 26}},
        {Place{1, 512}, std::nullopt, Place{1, 514}, Place{1, 516}},
        {Place{2, 512}, std::nullopt, Place{2, 514}, Place{2, 516}},
        {Place{3, 512}, std::nullopt, Place{3, 514}, Place{3, 516}},
    }},
    .identification = {std::nullopt, one_of(0x72), one_of(0x55)},
};

}  // namespace quillet::at88sc1604

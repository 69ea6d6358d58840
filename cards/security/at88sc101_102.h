// AT88SC101 (card type byte 0x71) and AT88SC102 (0x72) security memory cards: a security code with
// its error counter, erase codes, an erase counter, protect and read flags, and a fuse that
// personalisation blows. The AT88SC101 is one flat area of 172 bytes; the AT88SC102 has three
// zones (0 the system area, 1 and 2 the application areas), addressed by zone and offset: the
// library adds the zone base and sends the zone number with the absolute address.
//
// One implementation serves both; they differ only in their row of numbers. The AT88SC101's
// functions take no zone: they pass zone 0, which spans its whole card.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::at88sc10x {

// A zone as the caller addresses it: offsets 0 .. size - 1 from base.
struct Zone {
    int16_t base;
    int16_t size;
};

// Bytes at a fixed zone and offset.
struct Place {
    int16_t zone;
    int16_t offset;
    int16_t size;
};

// An erase code, and the address byte its present frame carries.
struct EraseCode {
    Place place;
    uint8_t frame_address;
};

struct Card {
    uint8_t card_type;
    int16_t memory_size;  // reads and erases may run on to here, across zones
    std::span<const Zone> zones;
    bool length_checked_first;  // the AT88SC102 checks the length before the zone and offset
    Place security_code;
    uint8_t code_frame_address;  // the present-security-code frame's address byte
    Place error_counter;
    uint8_t error_counter_bits;  // the bits counted in the error counter byte
    std::span<const EraseCode> erase_codes;
    Place erase_counter;
    std::span<const Place> flag_bytes;  // protect flag bit 7, read flag bit 6
    uint8_t personalise_address;
    std::span<const std::array<uint8_t, 2>> identities;  // bytes 0..1, tried in order
    int registered_code_family;                          // -1: the card check reads no registered codes
};

inline constexpr std::array<Zone, 1> at88sc101_zones{{{0, 172}}};
inline constexpr std::array<EraseCode, 1> at88sc101_erase_codes{{{{0, 150, 4}, 0x00}}};
inline constexpr std::array<Place, 1> at88sc101_flags{{{0, 22, 1}}};
inline constexpr std::array<std::array<uint8_t, 2>, 1> at88sc101_identities{{{0x0F, 0x0F}}};

inline constexpr Card at88sc101{
    .card_type = 0x71,
    .memory_size = 172,
    .zones = at88sc101_zones,
    .length_checked_first = false,
    .security_code = {0, 10, 2},
    .code_frame_address = 0x00,
    .error_counter = {0, 12, 1},
    .error_counter_bits = 0xFF,
    .erase_codes = at88sc101_erase_codes,
    .erase_counter = {0, 154, 16},
    .flag_bytes = at88sc101_flags,
    .personalise_address = 0x00,
    .identities = at88sc101_identities,
    .registered_code_family = -1,
};

inline constexpr std::array<Zone, 3> at88sc102_zones{{{0, 22}, {22, 70}, {92, 86}}};
inline constexpr std::array<EraseCode, 2> at88sc102_erase_codes{{{{1, 64, 6}, 0x56}, {{2, 64, 4}, 0x9C}}};
inline constexpr std::array<Place, 2> at88sc102_flags{{{1, 0, 1}, {2, 0, 1}}};
inline constexpr std::array<std::array<uint8_t, 2>, 4> at88sc102_identities{
    {{0x0F, 0x0F}, {0x71, 0x55}, {0x17, 0xAA}, {0x77, 0x57}}};

inline constexpr Card at88sc102{
    .card_type = 0x72,
    .memory_size = 178,
    .zones = at88sc102_zones,
    .length_checked_first = true,
    .security_code = {0, 10, 2},
    .code_frame_address = 0x0A,
    .error_counter = {0, 12, 1},
    .error_counter_bits = 0xF0,
    .erase_codes = at88sc102_erase_codes,
    .erase_counter = {2, 68, 16},
    .flag_bytes = at88sc102_flags,
    .personalise_address = 0xC2,
    .identities = at88sc102_identities,
    .registered_code_family = 0,
};

inline constexpr int16_t whole_card = 0;  // the AT88SC101's one zone
inline constexpr int chunk_size = 144;

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t personalise = 0x73;
}  // namespace command

// Reads and erases may run on across the following zones to the end of the card; writes and
// code-area writes stay inside their zone. Requests over 144 bytes travel as two frames.
Status read(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer);
Status write(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data);
Status erase(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length);
// The write that stores security and erase codes (command 0x66); not exported.
Status write_code_area(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length,
                       const uint8_t* data);

Status present_code(const Card& card, int32_t handle, int16_t length, const uint8_t* code);
Status change_code(const Card& card, int32_t handle, int16_t length, const uint8_t* code);
Status read_code(const Card& card, int32_t handle, int16_t length, uint8_t* buffer);
Status read_error_counter(const Card& card, int32_t handle, int16_t* count);

// The erase code of a zone (the AT88SC101's one erase code lives in zone 0).
Status present_erase_code(const Card& card, int32_t handle, int16_t zone, int16_t length, const uint8_t* code);
Status change_erase_code(const Card& card, int32_t handle, int16_t zone, int16_t length, const uint8_t* code);
Status read_erase_code(const Card& card, int32_t handle, int16_t zone, int16_t length, uint8_t* buffer);
Status read_erase_counter(const Card& card, int32_t handle, int16_t zone, int16_t* count);

// Clears the protect flag (0x80) or the read flag (0x40) of the zone's flag byte, writing only
// when it is set.
Status clear_flag(const Card& card, int32_t handle, int16_t zone, uint8_t bit);

Status simulate_fuse(const Card& card, int32_t handle, int16_t flag);
Status personalise(const Card& card, int32_t handle);
Status check_card(const Card& card, int32_t handle);

}  // namespace quillet::at88sc10x

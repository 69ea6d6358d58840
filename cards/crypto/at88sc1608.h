// AT88SC1608 crypto memory cards (card type byte 0x74): eight user zones of 256 bytes, zone 8 of
// 128 bytes, and a configuration zone of 128 bytes with the fuse byte after it at address 128.
// The configuration zone holds the access registers (16 + zone), and eight password sets of two
// 3-byte passwords, each led by its attempt counter (64 + 8 × set, second password + 4).
//
// The card enforces passwords, access registers and authentication itself; its refusals come back
// as minus the reader's status byte. The library keeps no state for this card between calls.
#pragma once

#include <cstdint>

#include "cards/crypto/at88sc_card.h"
#include "core/status.h"

namespace quillet::at88sc1608 {

inline constexpr uint8_t card_type = 0x74;
inline constexpr int user_zones = 8;  // zones 0..7, and zone 8 after them
inline constexpr int zone_size = 256;
inline constexpr int last_zone_size = 128;  // zone 8
inline constexpr int user_bytes = user_zones * zone_size;
inline constexpr int16_t fuse_address = 128;
inline constexpr int chunk_size = 144;

// Frames with frame byte 5 = 1 reach the configuration zone and, at 128, the fuse byte.
inline constexpr at88sc::Layout layout{
    .card_type = card_type,
    .configuration = {card_type, 1, 0},
    .configuration_end = 129,
    .user_zones = user_zones,
    .access_register_base = 16,
    .password_base = 64,
    .password_sets = 8,
    .binary_selector = false,
    .password_mark = 0x00,
    .set_step = 1,
    .answer_to_reset = {0x2C, 0xAA, 0x55, 0xA0},
};

// User zones, from zone/address on into the following zones (reads may run on into zone 8).
Status read(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data);

// Blows every fuse at once.
Status personalise(int32_t handle);

}  // namespace quillet::at88sc1608

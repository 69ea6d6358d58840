// AT88SC1608 crypto memory cards (card type byte 0x74): eight user zones of 256 bytes, zone 8 of
// 128 bytes, and a configuration zone of 128 bytes with the fuse byte after it at address 128.
// The configuration zone holds the access registers (16 + zone), and eight password sets of two
// 3-byte passwords, each led by its attempt counter (64 + 8 × set, second password + 4).
//
// The card enforces passwords, access registers and authentication itself; its refusals come back
// as minus the reader's status byte. The library keeps no state for this card between calls.
#pragma once

#include <cstdint>

#include "cards/crypto/at88sc_frames.h"
#include "reader/status.h"

namespace quillet::at88sc1608 {

inline constexpr uint8_t card_type = 0x74;
inline constexpr int user_zones = 8;  // zones 0..7, and zone 8 after them
inline constexpr int zone_size = 256;
inline constexpr int last_zone_size = 128;  // zone 8
inline constexpr int user_bytes = user_zones * zone_size;
inline constexpr int configuration_end = 129;  // configuration zone 0..127 and the fuse byte
inline constexpr int fuse_address = 128;
inline constexpr int access_register_base = 16;
inline constexpr int password_base = 64;  // attempt counter of set 0's first password
inline constexpr int password_sets = 8;
inline constexpr int chunk_size = 144;
inline constexpr at88sc::Answer answer_to_reset{0x2C, 0xAA, 0x55, 0xA0};

Status reset(int32_t handle, int16_t length, uint8_t* buffer);
Status check(int32_t handle);
Status init_auth(int32_t handle, int16_t length, const uint8_t* data);

// User zones, from zone/address on into the following zones (reads may run on into zone 8).
Status read(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data);

// One frame within configuration addresses 0..128.
Status read_configuration(int32_t handle, int16_t address, int16_t length, uint8_t* buffer);
Status write_configuration(int32_t handle, int16_t address, int16_t length, const uint8_t* data);
Status read_fuses(int32_t handle, int16_t length, uint8_t* buffer);

// Passwords: selector 0 names a set's first password, any other value its second.
Status present_password(int32_t handle, int16_t set, int16_t length, int16_t selector, const uint8_t* password);
Status write_password(int32_t handle, int16_t set, int16_t length, int16_t selector, const uint8_t* password);
Status read_password(int32_t handle, int16_t set, int16_t length, int16_t selector, uint8_t* buffer);
Status read_attempts(int32_t handle, int16_t set, int16_t length, int16_t selector, uint8_t* buffer);

Status read_access(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer);
Status write_access(int32_t handle, int16_t zone, int16_t length, const uint8_t* data);

Status personalise(int32_t handle);

}  // namespace quillet::at88sc1608

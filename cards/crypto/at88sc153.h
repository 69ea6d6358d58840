// AT88SC153 crypto memory cards (card type byte 0x75): three user zones of 64 bytes and a
// configuration zone of 64 bytes, reached as zone 3. The configuration zone holds the access
// registers (12 + zone), the device configuration register (24), the authentication attempt
// counter (32) and two password sets of two 3-byte passwords, each led by its attempt counter
// (48 + 8 × set + 4 × selector). The fuse byte has frames of its own.
//
// Every transfer is one frame of at most 64 bytes that stays within its zone. The card enforces
// passwords, access registers and authentication itself.
#pragma once

#include <cstdint>

#include "cards/crypto/at88sc_card.h"
#include "core/status.h"

namespace quillet::at88sc153 {

inline constexpr uint8_t card_type = 0x75;
inline constexpr int user_zones = 3;
inline constexpr int zone_size = 64;  // also the size of the configuration zone
inline constexpr int16_t device_configuration = 24;
inline constexpr int16_t authentication_attempts = 32;

inline constexpr at88sc::Layout layout{
    .card_type = card_type,
    .configuration = {card_type, 0, 3},  // reached as zone 3
    .configuration_end = zone_size,
    .user_zones = user_zones,
    .access_register_base = 12,
    .password_base = 48,
    .password_sets = 2,
    .binary_selector = true,
    .password_mark = 0xB3,
    .set_step = 0x04,
    .answer_to_reset = {0x2C, 0xAA, 0x55, 0xA1},
};

inline constexpr uint8_t personalisation_fuse = 4;  // the last of the fuses 1, 2, 4

Status read(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data);

Status read_fuses(int32_t handle, int16_t length, uint8_t* buffer);
// Blows the fuse, then verifies the fuse byte: write_failed unless it shows the fuses of the
// order 1, 2, 4 blown up to this one.
Status blow_fuse(int32_t handle, uint8_t fuse);
Status personalise(int32_t handle);

}  // namespace quillet::at88sc153

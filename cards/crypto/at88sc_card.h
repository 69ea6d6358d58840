// What the AT88SC1608 and AT88SC153 crypto memory cards share: reset and card check, the
// initialise-authentication frame, the configuration zone, its access registers, the password sets
// with their attempt counters, and single configuration registers. The two cards differ here only
// in numbers, so one implementation serves both, driven by a constexpr Layout row per card
// (at88sc1608.h, at88sc153.h). What really differs (user zones, fuses, personalisation) stays in
// the cards' own files.
//
// Passwords: set s, selector 0 (the first password) or another value (the second). The attempt
// counter sits at password_base + 8s (+ 4 for the second password) and its 3 bytes follow it.
#pragma once

#include <cstdint>

#include "cards/crypto/at88sc_frames.h"
#include "core/status.h"

namespace quillet::at88sc {

struct Layout {
    uint8_t card_type;
    Target configuration;   // frame bytes 4..6 that name the configuration zone
    int configuration_end;  // a frame reaches configuration addresses 0 .. configuration_end - 1
    int user_zones;         // zones with an access register
    int access_register_base;
    int password_base;  // attempt counter of set 0's first password
    int password_sets;
    // Only selectors 0 and 1 are taken: on a card whose sets lie 8 bytes apart any other value
    // would reach another set's bytes (or the secret seed).
    bool binary_selector;
    // The byte of the present-password frame that names the password:
    // password_mark | set × set_step | 0x08 for the second password.
    uint8_t password_mark;
    uint8_t set_step;
    Answer answer_to_reset;
};

Status reset(const Layout& card, int32_t handle, int16_t length, uint8_t* buffer);
Status check(const Layout& card, int32_t handle);
Status init_auth(const Layout& card, int32_t handle, int16_t length, const uint8_t* data);

// One frame within configuration addresses 0 .. configuration_end - 1.
Status read_configuration(const Layout& card, int32_t handle, int16_t address, int16_t length, uint8_t* buffer);
Status write_configuration(const Layout& card, int32_t handle, int16_t address, int16_t length,
                           const uint8_t* data);
// One configuration byte at a fixed address (length must be 1).
Status read_register(const Layout& card, int32_t handle, int16_t address, int16_t length, uint8_t* buffer);
Status write_register(const Layout& card, int32_t handle, int16_t address, int16_t length, const uint8_t* data);

// The access register of a user zone.
Status read_access(const Layout& card, int32_t handle, int16_t zone, int16_t length, uint8_t* buffer);
Status write_access(const Layout& card, int32_t handle, int16_t zone, int16_t length, const uint8_t* data);

// Presenting checks the length first, then set and selector; the other three check set and
// selector before the length.
Status present_password(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                        const uint8_t* password);
Status write_password(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                      const uint8_t* password);
Status read_password(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                     uint8_t* buffer);
Status read_attempts(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                     uint8_t* buffer);

}  // namespace quillet::at88sc

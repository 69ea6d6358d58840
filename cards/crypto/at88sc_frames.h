// Frames of the AT88SC crypto memory cards. The AT88SC1608 (card type byte 0x74) and the
// AT88SC153 (0x75) share the command bytes and the body layout:
//
//   AA cmd LH LL  type area zone addrH addrL  then 00 count (reads) or the data (writes)
//
// where `area` (frame byte 5) and `zone` (frame byte 6) name the memory the frame addresses.
// Every reply is awaited with the normal wait.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/exchange.h"
#include "wire/memory_instructions.h"

namespace quillet::at88sc {

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t reset = 0x63;
inline constexpr uint8_t init_auth = 0x6D;
inline constexpr uint8_t blow_fuse = 0x71;  // personalisation on the AT88SC1608
inline constexpr uint8_t read_fuses = 0x74;
}  // namespace command

inline constexpr int answer_size = 4;      // answer-to-reset bytes of reset_ and chk_
inline constexpr int auth_data_size = 16;  // bytes of an initialise-authentication frame
inline constexpr int password_size = 3;

using Answer = std::array<uint8_t, answer_size>;

// Frame bytes 4..6: the card type byte and the memory addressed.
struct Target {
    uint8_t card_type;
    uint8_t area;
    uint8_t zone;
};

// Asks for `count` bytes at `address` of the target and copies them to out. A reply carrying
// fewer bytes is a failed read (read_failed): the caller's buffer is never reported filled with
// bytes that did not arrive.
Status read(int32_t handle, uint8_t command, Target target, uint16_t address, uint8_t count, uint8_t* out);

// Sends count data bytes for `address` of the target; the reply carries only the outcome.
Status write(int32_t handle, Target target, uint16_t address, const uint8_t* data, size_t count);

// A frame of the card type byte, four zero bytes and `extra`; the reply carries only the outcome.
Status plain(int32_t handle, uint8_t command, uint8_t card_type, std::span<const uint8_t> extra);

// The reset frame: copies the 4 answer-to-reset bytes (length must be 4).
Status reset(int32_t handle, uint8_t card_type, int16_t length, uint8_t* buffer);

// wrong_card unless the reset succeeds and answers `expected`.
Status check_answer(int32_t handle, uint8_t card_type, const Answer& expected);

// The initialise-authentication frame with the 16 bytes the application prepared.
Status init_auth(int32_t handle, uint8_t card_type, int16_t length, const uint8_t* data);

// The present-password frame: the configuration address of the password's attempt counter, the
// byte naming the password, and the 3 password bytes.
Status present_password(int32_t handle, uint8_t card_type, uint8_t counter_address, uint8_t which,
                        const uint8_t* password);

}  // namespace quillet::at88sc

// SLE4406 counter cards (card type byte 0x7B, also for SLE4436 cards): 13 bytes, a 3-byte security
// code at 10..12 with its error counter at 9, a personalisation bit (bit 7 of byte 8), and the
// counter bytes 8..12 that counter steps act on. What the card allows before and after
// personalisation is the card's own: its refusals come back as the reply status byte.
#pragma once

#include <array>
#include <cstdint>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::sle4406 {

inline constexpr uint8_t card_type = 0x7B;
inline constexpr int memory_size = 13;
inline constexpr int16_t counter_first = 8;
inline constexpr int16_t counter_last = 12;
inline constexpr int16_t code_address = 10;
inline constexpr int16_t code_size = 3;
inline constexpr int16_t error_counter_address = 9;
inline constexpr int16_t personalisation_address = 8;
inline constexpr uint8_t personalisation_bit = 0x80;
inline constexpr int registered_code_family = 4;  // consulted for SLE4406 and SLE4436 cards alike

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t counter_step = 0x70;
}  // namespace command

// What identifies a card of the kind: bytes 0..1, or byte 2 alone.
struct Identity {
    std::array<uint8_t, 2> maker;
    uint8_t byte_2;
};

inline constexpr Identity sle4406_identity{{0x98, 0x20}, 0x22};
inline constexpr Identity sle4436_identity{{0xE8, 0x31}, 0x5F};

Status read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
Status counter_step(int32_t handle, int16_t offset);

// Presents the code, then reads 10..12 back: write_failed when they differ from the code.
Status present_code(int32_t handle, int16_t length, const uint8_t* code);
// One write frame at 10; nothing is erased first.
Status change_code(int32_t handle, int16_t length, const uint8_t* code);
Status read_code(int32_t handle, int16_t length, uint8_t* buffer);
Status read_error_counter(int32_t handle, int16_t* count);
// Clears bit 7 of byte 8, writing only when it is set.
Status personalise(int32_t handle);

// wrong_card also when the identification read fails.
Status check_card(int32_t handle, const Identity& identity);

}  // namespace quillet::sle4406

// SLE4404 security memory cards (card type byte 0x7A): 52 bytes with a 2-byte security code and
// its error counter, a 4-byte erase code and its 64-bit erase counter, the protect and read flags
// of the user area, and a fuse that personalisation blows. What the card allows before and after
// the fuse is blown is the card's own: its refusals come back as the reply status byte.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::sle4404 {

inline constexpr uint8_t card_type = 0x7A;
inline constexpr int memory_size = 52;
inline constexpr int registered_code_family = 3;

// A code kept on the card, with the command that presents it.
struct Code {
    int16_t address;
    int16_t size;
    uint8_t present_command;
};

inline constexpr Code security_code{8, 2, 0x64};
inline constexpr Code erase_code{40, 4, 0x68};

inline constexpr int16_t error_counter_address = 10;  // attempts in bits 4..7
inline constexpr uint8_t error_counter_bits = 0xF0;
inline constexpr int16_t erase_counter_address = 44;  // 8 bytes, 64 bits
inline constexpr int16_t erase_counter_size = 8;
inline constexpr int16_t flag_address = 14;    // protect flag bit 7, read flag bit 6
inline constexpr int16_t no_erase_first = 14;  // no erase starts in 14..39
inline constexpr int16_t no_erase_last = 39;

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t personalise = 0x71;
}  // namespace command

Status read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
Status erase(int32_t handle, int16_t offset, int16_t length);

// The security code and the erase code: present, change (erase, then write), read.
Status present(const Code& code, int32_t handle, int16_t length, const uint8_t* bytes);
Status change(const Code& code, int32_t handle, int16_t length, const uint8_t* bytes);
Status read_code(const Code& code, int32_t handle, int16_t length, uint8_t* buffer);

// The 1 bits of the error counter (bits 4..7 of byte 10) and of the erase counter (bytes 44..51).
Status read_error_counter(int32_t handle, int16_t* count);
Status read_erase_counter(int32_t handle, int16_t* count);

// Clears the protect flag (0x80) or the read flag (0x40) of byte 14, writing only when it is set.
Status clear_flag(int32_t handle, uint8_t bit);

Status simulate_fuse(int32_t handle, int16_t flag);
Status personalise(int32_t handle);

// Bytes 0..1 are B7 A0, 81 24 or a code registered under family index 3.
Status check_card(int32_t handle);

}  // namespace quillet::sle4404

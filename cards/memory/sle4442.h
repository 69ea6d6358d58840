// SLE4442-class memory cards: 256 bytes of main memory, protection bits for bytes 0..31 and a
// security memory (error counter and 3-byte security code). The 2042 and SLE4432 cards are driven
// by the same functions; only the 2042's identification differs. Everything the card enforces
// (presented code, protection, attempts left) is known to the card alone: its refusals come back
// as the reply status byte.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::sle4442 {

inline constexpr uint8_t card_type = 0x79;  // also in the frames for 2042 and SLE4432 cards
inline constexpr int memory_size = 256;
inline constexpr int protectable_size = 32;
inline constexpr int protection_bytes = 4;
inline constexpr int code_size = 3;
inline constexpr int code_text_size = 6;     // hexadecimal characters of a code
inline constexpr int chunk_size = 144;
inline constexpr int registered_code_family = 8;

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t read_security = 0x65;
inline constexpr uint8_t read_protection = 0x74;
inline constexpr uint8_t protect = 0x75;
}  // namespace command

Status read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
Status read_protection(int32_t handle, int16_t length, uint8_t* buffer);
// Protects the bytes, then verifies that their protection bits read 0 and that they hold `data`.
Status protect(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);

Status present_code(int32_t handle, int16_t length, const uint8_t* code);
Status change_code(int32_t handle, int16_t length, const uint8_t* code);
Status read_code(int32_t handle, int16_t length, uint8_t* buffer);
Status read_error_counter(int32_t handle, int16_t* count);

// The code as text: exactly six hexadecimal digits, either case; see quillet.h.
Status present_code_text(int32_t handle, uint8_t* text);
Status change_code_text(int32_t handle, uint8_t* text);
// Clears 7 bytes, then writes six upper-case digits and a zero on success.
Status read_code_text(int32_t handle, uint8_t* text);

// Identification bytes 6..7 (SLE4442, SLE4432) and 0..7 (2042).
Status check_sle4442(int32_t handle);
Status check_2042(int32_t handle);

}  // namespace quillet::sle4442

// SLE4428-class memory cards: 1024 bytes, each with its own protection bit. The SLE4428 keeps its
// 2-byte security code in bytes 1022..1023 and guards it with an error counter; the SLE4418 is the
// same memory without a code. The two differ only in their row of `cards`.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::sle4428 {

struct Card {
    uint8_t card_type;
    int16_t write_end;  // one past the last address that writes, protected reads and protection reach
};

inline constexpr Card sle4428_card{0x77, 1021};  // 1021..1023 hold the code and stay out of reach
inline constexpr Card sle4418_card{0x76, 1024};

inline constexpr int memory_size = 1024;
inline constexpr int chunk_size = 144;              // bytes per frame
inline constexpr int protected_read_chunk = 72;     // addresses per frame: two reply bytes each
inline constexpr int code_size = 2;
inline constexpr uint16_t code_address = 1022;
inline constexpr int registered_code_family = 6;    // 4-byte codes against bytes 0..3

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t write_protected = 0x6D;
inline constexpr uint8_t read_protected = 0x6E;
inline constexpr uint8_t protect = 0x6F;
}  // namespace command

Status read(const Card& card, int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
Status write(const Card& card, int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
// Two bytes per address, as the reader sends them: the pair of address offset + i at buffer + 2i.
Status read_protected(const Card& card, int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
Status write_protected(const Card& card, int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
// Protects the bytes whose content matches `data`; nothing is read back.
Status protect(const Card& card, int32_t handle, int16_t offset, int16_t length, const uint8_t* data);

// The SLE4428's security code.
Status present_code(int32_t handle, int16_t length, const uint8_t* code);
Status change_code(int32_t handle, int16_t length, const uint8_t* code);
Status read_code(int32_t handle, int16_t length, uint8_t* buffer);
Status read_error_counter(int32_t handle, int16_t* count);

Status check_sle4428(int32_t handle);

}  // namespace quillet::sle4428

// The instruction bytes the reader gives the same meaning in every memory card family that has the
// operation; a family names only the instructions of its own beside them. The library's families
// and the virtual reader's card models both take them from here.
#pragma once

#include <cstdint>

namespace quillet::wire::memory_instruction {

inline constexpr uint8_t write = 0x60;
inline constexpr uint8_t read = 0x61;
inline constexpr uint8_t present_code = 0x64;  // a security code, or a password
inline constexpr uint8_t write_code = 0x66;    // a code, or a code area
inline constexpr uint8_t read_counter = 0x67;
inline constexpr uint8_t present_erase_code = 0x68;
inline constexpr uint8_t erase = 0x76;
inline constexpr uint8_t erase_all = 0x78;
inline constexpr uint8_t fuse_simulation = 0x80;

}  // namespace quillet::wire::memory_instruction

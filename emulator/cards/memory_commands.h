#pragma once

#include <cstdint>

// The instruction bytes that several memory card families give the same meaning; each card model
// names only the instructions that are its own.
namespace vreader::memory_command {

inline constexpr uint8_t write = 0x60;
inline constexpr uint8_t read = 0x61;
inline constexpr uint8_t present_code = 0x64;
inline constexpr uint8_t write_code = 0x66;  // a code, or a code area
inline constexpr uint8_t read_counter = 0x67;
inline constexpr uint8_t present_erase_code = 0x68;
inline constexpr uint8_t erase = 0x76;
inline constexpr uint8_t erase_all = 0x78;
inline constexpr uint8_t fuse_simulation = 0x80;

}  // namespace vreader::memory_command

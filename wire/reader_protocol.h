// Numbers of the reader's protocol that both ends use: the library takes them from here, and so
// does the virtual reader.
#pragma once

#include <cstdint>

// The reader's own memory, as its commands B7 (read), B6 (write) and B5 (compare) address it:
//
//   0x0000 .. 0x017F  user area (384 bytes)
//   0x0180            link byte: baud code in bits 0..3, parallel mode in bits 4..7
//                     (0x0 nibble link, 0xF byte link); written only by command B1
//   0x0181            mode byte (0x00 or 0xFF)
//   0x0182 .. 0x0184  device code
//   0x0185 .. 0x0188  stored value, signed 32-bit, least significant byte first
//   0x0190 .. 0x019F  serial number
// The bytes 0x0189 .. 0x018F between them are memory like any other.
namespace quillet::wire::reader_address {

inline constexpr uint16_t user_area = 0x0000;
inline constexpr uint16_t user_area_size = 384;
inline constexpr uint16_t link_byte = 0x0180;
inline constexpr uint16_t mode_byte = 0x0181;
inline constexpr uint16_t device_code = 0x0182;
inline constexpr uint16_t stored_value = 0x0185;
inline constexpr uint16_t serial_number = 0x0190;
inline constexpr uint16_t serial_number_size = 16;
inline constexpr uint16_t end = 0x01A0;

}  // namespace quillet::wire::reader_address

// The values the library writes to a parallel port's control register, and so the values the
// virtual reader's port model answers to.
namespace quillet::wire::parallel_control {

inline constexpr uint8_t idle = 0x24;
inline constexpr uint8_t nibble_ready = 0x26;
inline constexpr uint8_t byte_ready = 0x27;
inline constexpr uint8_t byte_taken = 0x25;
inline constexpr uint8_t send_idle = 0x0D;
inline constexpr uint8_t send_strobe = 0x0F;
inline constexpr uint8_t input_direction = 0x20;  // bit 5: data lines driven by the reader

}  // namespace quillet::wire::parallel_control

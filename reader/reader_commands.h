// Frames that address the reader itself (card type byte 0x80): its memory, its link byte, the
// card-present query and the simple one-frame services.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/exchange.h"
#include "wire/reader_protocol.h"

namespace quillet {

inline constexpr uint8_t reader_card_type = 0x80;

namespace reader_command {
inline constexpr uint8_t version = 0xB0;
inline constexpr uint8_t link_byte = 0xB1;
inline constexpr uint8_t contacts_on = 0xB2;
inline constexpr uint8_t contacts_off = 0xB3;
inline constexpr uint8_t beep = 0xB4;
inline constexpr uint8_t memory_compare = 0xB5;
inline constexpr uint8_t memory_write = 0xB6;
inline constexpr uint8_t memory_read = 0xB7;
inline constexpr uint8_t auto_pull = 0xB8;
inline constexpr uint8_t card_present = 0xB9;
}  // namespace reader_command

namespace reader_address = wire::reader_address;

// AA cmd 00 05 80 00 00 00 00 BCC
Frame reader_frame(uint8_t command);

Status memory_read(int32_t handle, uint16_t address, uint8_t* out, size_t count);
Status memory_write(int32_t handle, uint16_t address, const uint8_t* data, size_t count);
Status memory_compare(int32_t handle, uint16_t address, const uint8_t* data, size_t count);
// Writes, then reads back and compares: write_failed when the reader holds something else.
Status memory_write_verified(int32_t handle, uint16_t address, const uint8_t* data, size_t count);

// AA B1 00 06 80 00 00 00 00 X BCC
Status write_link_byte(int32_t handle, uint8_t value);
// A one-frame service without data (contacts, auto pull).
Status simple_service(int32_t handle, uint8_t command);

// The card-present query with up to `attempts` attempts; an empty reader (status bytes 0x86 and
// 0x89) is a success with state 0. state is the raw card state byte.
Status query_card_state(int32_t handle, int attempts, uint8_t& state);

// The version request for length 10 or 18; copies min(length, reply length) bytes.
Status read_version(int32_t handle, int16_t length, uint8_t* out);

}  // namespace quillet

// Frames of the SLE memory cards. The SLE4442 and SLE4428 classes address their cards the same
// way: card type byte, two zero bytes, a big-endian card address, then either a big-endian count
// (frames that ask for data) or the data itself. Every reply is awaited with the normal wait.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/exchange.h"

namespace quillet::sle_frames {

// AA cmd LH LL T 00 00 addrH addrL
Frame addressed(uint8_t command, uint8_t card_type, uint16_t address);

// Asks for `count` units at `address` and copies the first `wanted` reply data bytes to out.
// A reply carrying fewer than `wanted` bytes is a failed read (read_failed): the caller's buffer
// is never reported filled with bytes that did not arrive.
Status read(int32_t handle, uint8_t command, uint8_t card_type, uint16_t address, uint16_t count,
            uint8_t* out, size_t wanted);

// Sends n data bytes for `address`; the reply carries only the outcome.
Status write(int32_t handle, uint8_t command, uint8_t card_type, uint16_t address, const uint8_t* data,
             size_t n);

// One frame reading or writing `length` bytes at `offset` of a card memory of memory_size bytes,
// after the checks in this order: offset inside the memory (bad_address), length at least 1
// (bad_length), length within the rest of the memory (bad_length).
Status range_checks(int memory_size, int16_t offset, int16_t length);
Status read_range(int32_t handle, uint8_t command, uint8_t card_type, int memory_size, int16_t offset,
                  int16_t length, uint8_t* buffer);
Status write_range(int32_t handle, uint8_t command, uint8_t card_type, int memory_size, int16_t offset,
                   int16_t length, const uint8_t* data);

// Reads an error counter (command 0x67 with the given count field) and sets *count to the number
// of 1 bits of its first byte; a failed exchange leaves *count alone.
Status error_counter(int32_t handle, uint8_t card_type, uint16_t count_field, int16_t* count);

}  // namespace quillet::sle_frames

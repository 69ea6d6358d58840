// Cards with an AT45D041 serial flash: 2048 pages of 264 bytes, addressed by page and offset.
// Two pairs of transfers: read/write move at most 144 bytes a frame, make sure the card answers
// first and retry after pauses of 300 ms; read_twice/write_pages move a whole page remainder a
// frame, retry at once, and read every chunk twice (a third read settles a disagreement). While
// the reader is an extended one (process state), read and write hand over to the second pair.
//
//   read:         AA 61 00 07 6E pageH pageL offH offL nH nL BCC       (n <= 144 or <= 264)
//   write:        AA 60 LH LL 6E pageH pageL offH offL data[n] BCC     (L = n + 5)
//   flash status: AA 77 00 05 6E 00 00 00 00 BCC
// Every reply is awaited with the normal wait.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::at45d041 {

inline constexpr uint8_t card_type = 0x6E;
inline constexpr int pages = 2048;
inline constexpr int page_size = 264;
inline constexpr int paced_chunk = 144;  // data bytes per frame of read and write

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t flash_status = 0x77;
}  // namespace command

// srd_45d041, swr_45d041: length >= 1 (bad_length); page 0..2047 and offset 0..263 (bad_address);
// length within the card from (page, offset) (bad_length); then the card must answer (check),
// else read_failed / write_failed.
Status read(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer);
Status write(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data);
// Read_45, Write_45: the same range checks, no card check.
Status read_twice(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer);
Status write_pages(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data);

// rdstrg_45d041: the status frame four times in a row; the fourth reply's first data byte.
Status read_flash_status(int32_t handle, uint8_t* status);
// chk_45d041: ok when a flash status other than 0x00 and 0xFF shows within three reads.
Status check(int32_t handle);

// Init_45: opens the parallel port at `address` on the byte link, else the nibble link; the
// handle (8888 or 6666) or port_error.
int32_t open_parallel(int16_t address);

}  // namespace quillet::at45d041

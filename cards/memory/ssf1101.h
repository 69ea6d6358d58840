// SSF1101 cards: 512 pages of 1024 bytes. Transfers go page by page, up to a whole page remainder
// an exchange. A write is announced first (page, offset, count) and its data follow in a frame of
// their own once the reader has accepted the announce:
//
//   read:      AA 61 00 07 6F pageH pageL offH offL nH nL BCC     block wait, up to 1024 data bytes
//   announce:  AA 60 00 07 6F pageH pageL offH offL nH nL BCC     normal wait
//   data:      66 data[n] BCC                                     normal wait; BCC over 66 and data
//   status:    AA 77 00 05 6F 00 00 00 00 BCC                     reply data byte 0: 0x0F for a card
//   erase all: AA 78 00 05 6F 00 00 00 00 BCC
// Failed exchanges are tried again after pauses of 300 ms. The status read and erase-all wait
// for their replies on lengthened read time-outs of the serial port, put back after each exchange.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "wire/memory_instructions.h"

namespace quillet::ssf1101 {

inline constexpr uint8_t card_type = 0x6F;
inline constexpr int pages = 512;
inline constexpr int page_size = 1024;
inline constexpr uint8_t data_lead = 0x66;
inline constexpr uint8_t card_present = 0x0F;  // the card status byte of an SSF1101

namespace command {
using namespace wire::memory_instruction;
inline constexpr uint8_t announce = 0x60;
inline constexpr uint8_t card_status = 0x77;
}  // namespace command

// length >= 1 (bad_length); page 0..511 and offset 0..1023 (bad_address); length within the card
// from (page, offset) (bad_length).
Status read(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer);
// page 0..511 and offset 0..1024 (bad_address); length within the card (bad_length); a length of
// 0 or less is ok with nothing sent. Offset 1024 is the end of the page: the reader gets an empty
// piece there before the data go on at offset 0 of the next page.
Status write(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data);
Status erase_all(int32_t handle);
// ok when the card status byte reads 0x0F within three status reads, else wrong_card.
Status check(int32_t handle);

}  // namespace quillet::ssf1101

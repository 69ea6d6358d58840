// Memory cards with a three-wire EEPROM of the 93Cxx series: reads, writes, erase-all and the size
// checks. The 93C46A is organised in 16-bit words (offsets and lengths count words, each word two
// bytes of the caller's buffer in their order), the others in bytes. The bus work is the reader's.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet::three_wire {

enum class Size { c46a, c46, c57, c66 };

Status read(int32_t handle, Size size, int16_t offset, int16_t length, uint8_t* buffer);
Status write(int32_t handle, Size size, int16_t offset, int16_t length, const uint8_t* data);
// Sets every cell of the card to 0xFF; minus the reply status byte on refusal.
Status erase_all(int32_t handle, Size size);
// ok when the inserted card is of this size, wrong_card otherwise (and on every failure).
Status check(int32_t handle, Size size);

}  // namespace quillet::three_wire

// Memory cards with a two-wire (I2C) EEPROM of the 24Cxx series, 128 bytes to 8 kilobytes: reads,
// writes and the size checks. Device addressing, page writes and write cycle times are the
// reader's; the library checks ranges, cuts requests into frames and judges sizes from how
// written bytes show at lower addresses.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet::i2c_eeprom {

enum class Size { c01a, c02, c04, c08, c16, c32, c64 };

Status read(int32_t handle, Size size, int16_t offset, int16_t length, uint8_t* buffer);
Status write(int32_t handle, Size size, int16_t offset, int16_t length, const uint8_t* data);
// ok when the inserted card is of this size, wrong_card otherwise (and on every failure).
Status check(int32_t handle, Size size);

}  // namespace quillet::i2c_eeprom

// Cards with a two-wire (I2C) EEPROM of the 24Cxx series, 128 bytes to 8 kilobytes, one model
// for every size. The reader addresses them by card type byte:
//   0x60 24C01A, 0x61 24C02, 0x62 24C04/24C08, 0x64 24C16: one word address byte, the upper
//        address bits going out as block bits with the device address;
//   0x65 24C32, 0x66 24C64: two word address bytes, high first.
// The chips' address lines wrap: a 24C01A answers address 255 with its byte 127. A chip of 24C16
// size or less, which takes a single address byte, takes the first of two address bytes for its
// whole address, so a 24C32 frame for 4095 (0F FF) or 3840 (0F 00) lands on its byte 15; a 24C32
// or 24C64 given single-byte addressing wraps the same way. That is how the host's size checks
// tell the sizes apart.
// Commands: 0x61 read (count in frame bytes 9..10), 0x62 write (data from frame byte 9); counts
// and data of 1..144 bytes (bad_parameter otherwise), any other command unknown_command.
// Contents file: the memory, up to the chip's size (a shorter file fills it from byte 0).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "emulator/cards/eeprom_card.h"

namespace vreader {

struct I2cEepromKind {
    std::string_view family;
    size_t capacity;
    bool two_address_bytes;  // the chip takes two word address bytes (24C32, 24C64)
};

inline constexpr I2cEepromKind eeprom_24c01a{"24c01a", 128, false};
inline constexpr I2cEepromKind eeprom_24c02{"24c02", 256, false};
inline constexpr I2cEepromKind eeprom_24c04{"24c04", 512, false};
inline constexpr I2cEepromKind eeprom_24c08{"24c08", 1024, false};
inline constexpr I2cEepromKind eeprom_24c16{"24c16", 2048, false};
inline constexpr I2cEepromKind eeprom_24c32{"24c32", 4096, true};
inline constexpr I2cEepromKind eeprom_24c64{"24c64", 8192, true};

class I2cEepromCard : public EepromCard {
public:
    static constexpr size_t max_transfer = 144;

    explicit I2cEepromCard(const I2cEepromKind& kind) : EepromCard(kind.family, kind.capacity, 1), kind_(kind) {}

    bool accepts(uint8_t card_type) const override;
    CardReply handle(const CardCommand& command) override;

private:
    CardReply read(const CardCommand& c) const;
    CardReply write(const CardCommand& c);
    // The cell the chip starts at for a frame's address field.
    size_t start_cell(const CardCommand& command) const;

    const I2cEepromKind& kind_;
};

// One catalog entry per size.
template <const I2cEepromKind& Kind>
using I2cEepromCardOf = CardOf<I2cEepromCard, Kind>;

}  // namespace vreader

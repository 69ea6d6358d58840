// Cards with a three-wire EEPROM of the 93Cxx series, one model for every size:
//   0x68 93C46A  64 words of 16 bits (addresses and counts in words, two bytes each on the wire)
//   0x69 93C46  128 bytes     0x6A 93C57  256 bytes     0x6B 93C66  512 bytes
// The word-organised 93C46A answers only 0x68 frames and the byte-organised chips only 0x69..0x6B:
// a chip driven in the other organisation does not follow the frame, and reacts as any chip on
// the wrong protocol (reads give FF bytes, writes change nothing). Address lines wrap: a 93C46
// answers address 255 with its byte 127.
// Commands: 0x61 read (count in frame bytes 9..10), write (data from frame byte 9; command 0x62
// with card type 0x6B, 0x60 with the others), 0x78 erase all (every byte FF). Counts of 1..144
// cells and whole cells of data (bad_parameter otherwise); any other command unknown_command.
// Contents file: the memory, up to the chip's size (a shorter file fills it from byte 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "emulator/cards/eeprom_card.h"

namespace vreader {

struct ThreeWireKind {
    std::string_view family;
    size_t cells;
    size_t cell_bytes;  // 2 on the word-organised 93C46A
};

inline constexpr ThreeWireKind eeprom_93c46a{"93c46a", 64, 2};
inline constexpr ThreeWireKind eeprom_93c46{"93c46", 128, 1};
inline constexpr ThreeWireKind eeprom_93c57{"93c57", 256, 1};
inline constexpr ThreeWireKind eeprom_93c66{"93c66", 512, 1};

class ThreeWireCard : public EepromCard {
public:
    static constexpr size_t max_transfer = 144;  // cells per frame

    explicit ThreeWireCard(const ThreeWireKind& kind)
        : EepromCard(kind.family, kind.cells, kind.cell_bytes), kind_(kind) {}

    bool accepts(uint8_t card_type) const override;
    CardReply handle(const CardCommand& command) override;

private:
    CardReply read(const CardCommand& c) const;
    CardReply write(const CardCommand& c);

    const ThreeWireKind& kind_;
};

// One catalog entry per size.
template <const ThreeWireKind& Kind>
using ThreeWireCardOf = CardOf<ThreeWireCard, Kind>;

}  // namespace vreader

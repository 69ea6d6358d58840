// The AT88SC153 (card type byte 0x75): user zones 0..2 of 64 bytes; the configuration zone of 64
// bytes, addressed as zone 3. Access registers at 12..14, the device configuration register at 24
// (kept, without meaning to the card), two password sets at 48 + 8s; the present-password frame
// names the password by 0xB3, plus 0x08 for the second password, plus 0x04 for set 1.
// The fuse byte has its own frames: read (0x74), and blow (0x71) with a value whose bits 0..2 are
// the fuses to blow. Everything else, and the contents file (192 + 64 + 1 bytes):
// at88sc153_1608_card.h.
#pragma once

#include "emulator/cards/at88sc153_1608_card.h"

namespace vreader {

inline constexpr CryptoLayout at88sc153_layout{
    "at88sc153", 0x75, {0x2C, 0xAA, 0x55, 0xA1, 0x51, 0x56, 0x52, 0x31, 0x01, 0x53}, 3, 64, 64, 12, 48, 2, 0x01,
};

using At88sc153Card = CryptoMemoryCardOf<at88sc153_layout>;
template <> std::optional<CryptoMemoryCard::Area> At88sc153Card::area(uint8_t, uint8_t) const;
template <> std::optional<CryptoMemoryCard::PasswordRef> At88sc153Card::named_password(uint8_t) const;
template <> CardReply At88sc153Card::handle_other(const CardCommand&);

}  // namespace vreader

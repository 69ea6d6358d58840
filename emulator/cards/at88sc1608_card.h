// The AT88SC1608 (card type byte 0x74): user zones 0..7 of 256 bytes; the configuration zone of
// 128 bytes, addressed by frames with frame byte 5 = 1 (then also the fuse byte at address 128,
// read only), or as user zone 8 (its 128 bytes). Access registers at 16..23, eight password sets
// at 64 + 8s; the present-password frame names the password by set | 0x08 for the second one.
// Personalisation (command 0x71) blows all fuses at once. Everything else, and the contents file
// (2048 + 128 + 1 bytes): at88sc153_1608_card.h.
#pragma once

#include "emulator/cards/at88sc153_1608_card.h"

namespace vreader {

inline constexpr CryptoLayout at88sc1608_layout{
    "at88sc1608", 0x74, {0x2C, 0xAA, 0x55, 0xA0, 0x51, 0x56, 0x52, 0x31, 0x16, 0x08}, 8, 256, 128, 16, 64, 8, 0x07,
};

using At88sc1608Card = CryptoMemoryCardOf<at88sc1608_layout>;
template <> std::optional<CryptoMemoryCard::Area> At88sc1608Card::area(uint8_t, uint8_t) const;
template <> std::optional<CryptoMemoryCard::PasswordRef> At88sc1608Card::named_password(uint8_t) const;
template <> CardReply At88sc1608Card::handle_other(const CardCommand&);

}  // namespace vreader

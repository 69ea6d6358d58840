#include "emulator/cards/at88sc1608_card.h"

namespace vreader {

namespace {
constexpr uint8_t cmd_personalise = 0x71;
constexpr uint8_t configuration_area = 1;
}  // namespace

template <>
std::optional<CryptoMemoryCard::Area> At88sc1608Card::area(uint8_t area_byte, uint8_t zone_byte) const {
    if (area_byte == configuration_area && zone_byte == 0)
        return Area{true, 0, at88sc1608_layout.configuration_size + 1};  // with the fuse byte
    if (area_byte != 0) return std::nullopt;
    return zone_area(zone_byte);
}

template <>
std::optional<CryptoMemoryCard::PasswordRef> At88sc1608Card::named_password(uint8_t which) const {
    if ((which & 0xF0) != 0) return std::nullopt;
    return PasswordRef{static_cast<size_t>(which & 0x07), static_cast<size_t>((which >> 3) & 1)};
}

template <>
CardReply At88sc1608Card::handle_other(const CardCommand& c) {
    if (c.command() != cmd_personalise) return CryptoMemoryCard::handle_other(c);
    blow(fuses_as_made);
    return CardReply::ok();
}

}  // namespace vreader

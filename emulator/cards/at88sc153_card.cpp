#include "emulator/cards/at88sc153_card.h"

namespace vreader {

namespace {
constexpr uint8_t cmd_blow_fuse = 0x71;
constexpr uint8_t cmd_read_fuses = 0x74;
constexpr uint8_t password_mark = 0xB3;
constexpr uint8_t second_password = 0x08;
constexpr uint8_t second_set = 0x04;
constexpr size_t fuse_frame = 6;  // card type, four zero bytes, the fuse value
}  // namespace

template <>
std::optional<CryptoMemoryCard::Area> At88sc153Card::area(uint8_t area_byte, uint8_t zone_byte) const {
    if (area_byte != 0) return std::nullopt;
    return zone_area(zone_byte);
}

template <>
std::optional<CryptoMemoryCard::PasswordRef> At88sc153Card::named_password(uint8_t which) const {
    if ((which & ~(second_password | second_set)) != password_mark) return std::nullopt;
    return PasswordRef{(which & second_set) != 0 ? 1u : 0u, (which & second_password) != 0 ? 1u : 0u};
}

template <>
CardReply At88sc153Card::handle_other(const CardCommand& c) {
    switch (c.command()) {
        case cmd_read_fuses:
            return CardReply::ok({fuses()});
        case cmd_blow_fuse:
            if (c.body().size() < fuse_frame) return CardReply::refuse(crypto_refusal::out_of_range);
            blow(c.byte(9));
            return CardReply::ok();
    }
    return CryptoMemoryCard::handle_other(c);
}

}  // namespace vreader

#include "emulator/cards/i2c_eeprom_card.h"

#include <algorithm>

#include "emulator/cards/memory_commands.h"

namespace vreader {

namespace {

constexpr uint8_t cmd_write = 0x62;

constexpr std::array single_address_byte_types{uint8_t{0x60}, uint8_t{0x61}, uint8_t{0x62}, uint8_t{0x64}};
constexpr std::array two_address_byte_types{uint8_t{0x65}, uint8_t{0x66}};

template <size_t N>
bool one_of(const std::array<uint8_t, N>& types, uint8_t type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace

bool I2cEepromCard::accepts(uint8_t card_type) const {
    return one_of(single_address_byte_types, card_type) || one_of(two_address_byte_types, card_type);
}

size_t I2cEepromCard::start_cell(const CardCommand& c) const {
    const bool two_bytes_sent = one_of(two_address_byte_types, c.card_type());
    // A single-address-byte chip stops listening for the address after the first byte.
    if (two_bytes_sent && !kind_.two_address_bytes) return c.byte(7);
    return c.address();
}

CardReply I2cEepromCard::handle(const CardCommand& c) {
    if (c.command() == memory_command::read) return read(c);
    if (c.command() == cmd_write) return write(c);
    return CardReply::refuse(status::unknown_command);
}

CardReply I2cEepromCard::read(const CardCommand& c) const {
    if (!c.count_within(max_transfer))
        return CardReply::refuse(status::bad_parameter);
    return CardReply::ok(cells_.read(start_cell(c), c.count()));
}

CardReply I2cEepromCard::write(const CardCommand& c) {
    const auto data = c.write_data();
    if (!fits(0, data.size(), max_transfer)) return CardReply::refuse(status::bad_parameter);
    cells_.write(start_cell(c), data);
    mark_changed();
    return CardReply::ok();
}

}  // namespace vreader

#include "emulator/cards/three_wire_card.h"

#include "emulator/cards/memory_commands.h"

namespace vreader {

namespace {

constexpr uint8_t cmd_write_two_address_bytes = 0x62;  // the 93C66's write

constexpr uint8_t word_type = 0x68;
constexpr uint8_t first_byte_type = 0x69;
constexpr uint8_t last_byte_type = 0x6B;

uint8_t write_command_for(uint8_t card_type) {
    return card_type == last_byte_type ? cmd_write_two_address_bytes : memory_command::write;
}

}  // namespace

bool ThreeWireCard::accepts(uint8_t card_type) const {
    if (kind_.cell_bytes == 2) return card_type == word_type;
    return card_type >= first_byte_type && card_type <= last_byte_type;
}

CardReply ThreeWireCard::handle(const CardCommand& c) {
    if (c.command() == memory_command::read) return read(c);
    if (c.command() == write_command_for(c.card_type())) return write(c);
    if (c.command() == memory_command::erase_all) {
        cells_.erase();
        mark_changed();
        return CardReply::ok();
    }
    return CardReply::refuse(status::unknown_command);
}

CardReply ThreeWireCard::read(const CardCommand& c) const {
    if (!c.count_within(max_transfer))
        return CardReply::refuse(status::bad_parameter);
    return CardReply::ok(cells_.read(c.address(), c.count()));
}

CardReply ThreeWireCard::write(const CardCommand& c) {
    const auto data = c.write_data();
    const size_t whole = data.size() / kind_.cell_bytes;
    if (!fits(0, whole, max_transfer) || data.size() % kind_.cell_bytes != 0)
        return CardReply::refuse(status::bad_parameter);
    cells_.write(c.address(), data);
    mark_changed();
    return CardReply::ok();
}

}  // namespace vreader

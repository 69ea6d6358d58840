#include "emulator/cards/at45d041_card.h"

#include "emulator/cards/memory_commands.h"

namespace vreader {

namespace {

constexpr uint8_t cmd_flash_status = 0x77;

}  // namespace

CardReply At45d041Card::handle(const CardCommand& c) {
    if (busy()) return CardReply::refuse(status::card_busy);
    const size_t page = c.bytes_5_6();
    const size_t offset = c.address();
    switch (c.command()) {
        case memory_command::read:
            return read_frame(c);
        case memory_command::write: {
            const auto data = c.write_data();
            if (data.empty() || !within_page(page, offset, data.size()))
                return CardReply::refuse(status::bad_parameter);
            program(page, offset, data);
            return CardReply::ok();
        }
        case cmd_flash_status:
            return CardReply::ok({status_byte()});
        default:
            return CardReply::refuse(status::unknown_command);
    }
}

}  // namespace vreader

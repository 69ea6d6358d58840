#include "emulator/cards/ssf1101_card.h"

#include "emulator/cards/memory_commands.h"

namespace vreader {

namespace {

constexpr uint8_t cmd_announce = 0x60;
constexpr uint8_t cmd_card_status = 0x77;

}  // namespace

CardReply Ssf1101Card::handle(const CardCommand& c) {
    announced_.reset();
    if (busy()) return CardReply::refuse(status::card_busy);
    const size_t page = c.bytes_5_6();
    const size_t offset = c.address();
    const size_t count = c.count();
    switch (c.command()) {
        case memory_command::read:
            return read_frame(c);
        case cmd_announce:
            if (c.body().size() < frame_with_count || !within_page(page, offset, count))
                return CardReply::refuse(status::bad_parameter);
            announced_ = Announce{page, offset, count};
            return CardReply::ok();
        case cmd_card_status:
            return CardReply::ok({status_byte()});
        case memory_command::erase_all:
            erase_all();
            return CardReply::ok();
        default:
            return CardReply::refuse(status::unknown_command);
    }
}

std::optional<RawFrameSpec> Ssf1101Card::awaited_raw_frame() const {
    if (!announced_) return std::nullopt;
    return RawFrameSpec{data_lead, announced_->count + 2};
}

CardReply Ssf1101Card::handle_raw_frame(std::span<const uint8_t> frame) {
    const std::optional<Announce> wanted = announced_;
    announced_.reset();
    if (!wanted || frame.size() != wanted->count + 2 || frame[0] != data_lead)
        return CardReply::refuse(status::unknown_command);
    if (busy()) return CardReply::refuse(status::card_busy);
    program(wanted->page, wanted->offset, frame.subspan(1, wanted->count));
    return CardReply::ok();
}

}  // namespace vreader

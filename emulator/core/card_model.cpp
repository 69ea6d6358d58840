#include "emulator/core/card_model.h"

#include <algorithm>
#include <array>

namespace vreader {

uint8_t CardCommand::byte(size_t frame_index) const {
    const size_t i = frame_index - 4;
    return frame_index >= 4 && i < body_.size() ? body_[i] : 0;
}

uint16_t CardCommand::word(size_t frame_index) const { return be16(byte(frame_index), byte(frame_index + 1)); }

std::span<const uint8_t> CardCommand::from(size_t frame_index) const {
    const size_t i = frame_index < 4 ? 0 : frame_index - 4;
    return i < body_.size() ? body_.subspan(i) : std::span<const uint8_t>{};
}

namespace {

// Read commands of the memory card families, with where their byte count sits. A chip that does
// not understand the frame leaves its data line high: every byte reads 0xFF.
struct ForeignRead {
    uint8_t command;
    bool count_in_frame;  // count in frame bytes 9..10; otherwise one byte
};

inline constexpr std::array foreign_reads{
    ForeignRead{0x61, true},   // read memory
    ForeignRead{0x65, true},   // read security memory
    ForeignRead{0x67, true},   // read error counter
    ForeignRead{0x6E, true},   // read with protection bits
    ForeignRead{0x74, true},   // read protection memory
    ForeignRead{0x77, false},  // read status byte
};

inline constexpr size_t foreign_read_limit = 1024;

bool processor_slot(uint8_t card_type) { return card_type >= 0x20 && card_type <= 0x25; }

}  // namespace

CardReply foreign_reply(const CardCommand& command) {
    if (processor_slot(command.card_type())) return CardReply::refuse(status::card_mute);
    for (const auto& read : foreign_reads) {
        if (read.command != command.command()) continue;
        const size_t n = read.count_in_frame ? std::min<size_t>(command.count(), foreign_read_limit) : 1;
        return CardReply::ok(Bytes(n, 0xFF));
    }
    return CardReply::ok();
}

CardReply CardModel::handle_foreign(const CardCommand& command) { return foreign_reply(command); }

CardReply CardModel::handle_raw_frame(std::span<const uint8_t>) { return CardReply::refuse(status::unknown_command); }

}  // namespace vreader

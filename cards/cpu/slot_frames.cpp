#include "cards/cpu/slot_frames.h"

#include <string>

#include "core/trace.h"

namespace quillet::cpu {

namespace {
inline constexpr uint8_t processor_length_mark = 0x80;
inline constexpr size_t header_bytes = 9;  // lead, command, 80, length, slot byte, 00 00 00 00
}  // namespace

std::optional<uint8_t> slot_byte(int16_t slot_number) {
    const int low_byte = slot_number & 0xFF;
    if (low_byte > last_slot_number) return std::nullopt;
    return static_cast<uint8_t>(main_slot + low_byte);
}

Frame reset_frame(uint8_t slot) {
    Frame frame(command::reset);
    frame.length_high(processor_length_mark).type(slot).zero(4);
    return frame;
}

Frame block_frame(uint8_t slot, std::span<const uint8_t> block, BlockCheck check) {
    Frame frame(command::block);
    frame.length_high(processor_length_mark).type(slot).zero(4).data(block);
    if (check == BlockCheck::header) frame.bcc_over(header_bytes);
    return frame;
}

Frame value_frame(uint8_t command, uint8_t slot, uint8_t value) {
    Frame frame(command);
    frame.type(slot).zero(4).byte(value);
    return frame;
}

Status Attempts::exchange(int32_t handle, const Frame& frame, Reply& reply) {
    for (;;) {
        const Status s = quillet::exchange(handle, frame, Wait::normal, reply);
        if (!failed(s) || used_ == retries_) return s;
        ++used_;
        if (trace::on()) trace::mark(handle, "retry " + std::to_string(used_));
    }
}

}  // namespace quillet::cpu

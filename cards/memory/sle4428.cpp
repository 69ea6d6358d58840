#include "cards/memory/sle4428.h"

#include <algorithm>
#include <array>

#include "cards/memory/sle_frames.h"
#include "core/checks.h"
#include "core/chunks.h"
#include "reader/conversions.h"

namespace quillet::sle4428 {

namespace {

Status range_checks(int16_t offset, int16_t length, int end) {
    return first_failure({
        {offset >= 0 && offset < end, Status::bad_address},
        {length >= 1, Status::bad_length},
        {[&] { return length <= end - offset; }, Status::bad_length},
    });
}

// Writes, protected writes and protection: chunks of 144 bytes taken from data + position.
Status send_data(const Card& card, uint8_t cmd, int32_t handle, int16_t offset, int16_t length,
                 const uint8_t* data) {
    QL_TRY(range_checks(offset, length, card.write_end));
    return for_each_chunk(offset, length, chunk_size, [&](int address, int count, int position) {
        return sle_frames::write(handle, cmd, card.card_type, static_cast<uint16_t>(address), data + position,
                                 static_cast<size_t>(count));
    });
}

}  // namespace

Status read(const Card& card, int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) {
    QL_TRY(range_checks(offset, length, memory_size));
    return for_each_chunk(offset, length, chunk_size, [&](int address, int count, int position) {
        return sle_frames::read(handle, command::read, card.card_type, static_cast<uint16_t>(address),
                                static_cast<uint16_t>(count), buffer + position, static_cast<size_t>(count));
    });
}

Status write(const Card& card, int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    return send_data(card, command::write, handle, offset, length, data);
}

Status read_protected(const Card& card, int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) {
    QL_TRY(range_checks(offset, length, card.write_end));
    return for_each_chunk(offset, length, protected_read_chunk, [&](int address, int count, int position) {
        return sle_frames::read(handle, command::read_protected, card.card_type, static_cast<uint16_t>(address),
                                static_cast<uint16_t>(count), buffer + 2 * position, 2 * static_cast<size_t>(count));
    });
}

Status write_protected(const Card& card, int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    return send_data(card, command::write_protected, handle, offset, length, data);
}

Status protect(const Card& card, int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    return send_data(card, command::protect, handle, offset, length, data);
}

Status present_code(int32_t handle, int16_t length, const uint8_t* code) {
    if (length != code_size) return Status::bad_length;
    return sle_frames::write(handle, command::present_code, sle4428_card.card_type, 0, code, code_size);
}

Status change_code(int32_t handle, int16_t length, const uint8_t* code) {
    if (length != code_size) return Status::bad_length;
    // An ordinary write frame: the code lies beyond the addresses that swr_4428 reaches.
    return sle_frames::write(handle, command::write, sle4428_card.card_type, code_address, code, code_size);
}

Status read_code(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != code_size) return Status::bad_length;
    return read(sle4428_card, handle, static_cast<int16_t>(code_address), code_size, buffer);
}

Status read_error_counter(int32_t handle, int16_t* count) {
    return sle_frames::error_counter(handle, sle4428_card.card_type, 1, count);
}

Status check_sle4428(int32_t handle) {
    std::array<uint8_t, 4> id{};
    QL_TRY(read(sle4428_card, handle, 0, 4, id.data()));
    if (is_registered_code(registered_code_family, id.data(), 4)) return Status::ok;
    constexpr std::array<uint8_t, 4> built_in{0x92, 0x23, 0x10, 0x91};
    return id == built_in ? Status::ok : Status::wrong_card;
}

}  // namespace quillet::sle4428

#include "cards/security/sle4406.h"

#include <algorithm>

#include "cards/memory/sle_frames.h"
#include "cards/security/security_steps.h"
#include "reader/conversions.h"

namespace quillet::sle4406 {

Status read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) {
    return sle_frames::read_range(handle, command::read, card_type, memory_size, offset, length, buffer);
}

Status write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    return sle_frames::write_range(handle, command::write, card_type, memory_size, offset, length, data);
}

Status counter_step(int32_t handle, int16_t offset) {
    if (offset < counter_first || offset > counter_last) return Status::bad_address;
    return sle_frames::write(handle, command::counter_step, card_type, static_cast<uint16_t>(offset), nullptr, 0);
}

Status present_code(int32_t handle, int16_t length, const uint8_t* code) {
    if (length != code_size) return Status::bad_length;
    QL_TRY(sle_frames::write(handle, command::present_code, card_type, 0, code, code_size));
    // The card shows its code bytes once the right code was presented: reading them back is what
    // proves the presentation.
    std::array<uint8_t, code_size> back{};
    QL_TRY(read(handle, code_address, code_size, back.data()));
    return std::equal(back.begin(), back.end(), code) ? Status::ok : Status::write_failed;
}

Status change_code(int32_t handle, int16_t length, const uint8_t* code) {
    if (length != code_size) return Status::bad_length;
    return write(handle, code_address, code_size, code);
}

Status read_code(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != code_size) return Status::bad_length;
    return read(handle, code_address, code_size, buffer);
}

Status read_error_counter(int32_t handle, int16_t* count) {
    return security::count_bits([&](uint8_t* out, int16_t n) { return read(handle, error_counter_address, n, out); }, 1,
                                0xFF, count);
}

Status personalise(int32_t handle) {
    return security::clear_flag([&](uint8_t* byte) { return read(handle, personalisation_address, 1, byte); },
                                [&](const uint8_t* byte) { return write(handle, personalisation_address, 1, byte); },
                                personalisation_bit);
}

Status check_card(int32_t handle, const Identity& identity) {
    std::array<uint8_t, 3> id{};
    if (failed(read(handle, 0, static_cast<int16_t>(id.size()), id.data()))) return Status::wrong_card;
    const bool known = (id[0] == identity.maker[0] && id[1] == identity.maker[1]) || id[2] == identity.byte_2 ||
                       is_registered_code(registered_code_family, id.data(), 2);
    return known ? Status::ok : Status::wrong_card;
}

}  // namespace quillet::sle4406

#include "cards/security/sle4404.h"

#include <array>

#include "cards/memory/sle_frames.h"
#include "cards/security/security_steps.h"
#include "core/checks.h"
#include "reader/conversions.h"

namespace quillet::sle4404 {

namespace {

// A frame of the card type byte and four zero bytes, then `extra`; the reply carries only the outcome.
Status plain(int32_t handle, uint8_t cmd, const uint8_t* extra, size_t n) {
    return sle_frames::write(handle, cmd, card_type, 0, extra, n);
}

}  // namespace

Status read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) {
    return sle_frames::read_range(handle, command::read, card_type, memory_size, offset, length, buffer);
}

Status write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    return sle_frames::write_range(handle, command::write, card_type, memory_size, offset, length, data);
}

Status erase(int32_t handle, int16_t offset, int16_t length) {
    QL_TRY(first_failure({
        {offset >= 0 && offset < memory_size, Status::bad_address},
        {offset < no_erase_first || offset > no_erase_last, Status::bad_address},
        {length >= 1, Status::bad_length},
        {length <= memory_size - offset, Status::bad_length},
    }));
    Frame f = sle_frames::addressed(command::erase, card_type, static_cast<uint16_t>(offset));
    f.be16(static_cast<uint16_t>(length));
    Reply reply;
    return exchange(handle, f, Wait::normal, reply);
}

Status present(const Code& code, int32_t handle, int16_t length, const uint8_t* bytes) {
    if (length != code.size) return Status::bad_length;
    return plain(handle, code.present_command, bytes, static_cast<size_t>(code.size));
}

Status change(const Code& code, int32_t handle, int16_t length, const uint8_t* bytes) {
    if (length != code.size) return Status::bad_length;
    // Writing only clears bits: the old code goes first, and an erase that fails sends no write.
    QL_TRY(erase(handle, code.address, code.size));
    return write(handle, code.address, code.size, bytes);
}

Status read_code(const Code& code, int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != code.size) return Status::bad_length;
    return read(handle, code.address, code.size, buffer);
}

Status read_error_counter(int32_t handle, int16_t* count) {
    return security::count_bits([&](uint8_t* out, int16_t n) { return read(handle, error_counter_address, n, out); }, 1,
                                error_counter_bits, count);
}

Status read_erase_counter(int32_t handle, int16_t* count) {
    return security::count_bits([&](uint8_t* out, int16_t n) { return read(handle, erase_counter_address, n, out); },
                                erase_counter_size, 0xFF, count);
}

Status clear_flag(int32_t handle, uint8_t bit) {
    return security::clear_flag([&](uint8_t* flags) { return read(handle, flag_address, 1, flags); },
                                [&](const uint8_t* flags) { return write(handle, flag_address, 1, flags); }, bit);
}

Status simulate_fuse(int32_t handle, int16_t flag) {
    const uint8_t fuse = security::fuse_simulation_byte(flag);
    return plain(handle, command::fuse_simulation, &fuse, 1);
}

Status personalise(int32_t handle) { return plain(handle, command::personalise, nullptr, 0); }

Status check_card(int32_t handle) {
    std::array<uint8_t, 3> id{};
    QL_TRY(read(handle, 0, static_cast<int16_t>(id.size()), id.data()));
    constexpr std::array<std::array<uint8_t, 2>, 2> built_in{{{0xB7, 0xA0}, {0x81, 0x24}}};
    for (const auto& known : built_in)
        if (id[0] == known[0] && id[1] == known[1]) return Status::ok;
    return is_registered_code(registered_code_family, id.data(), 2) ? Status::ok : Status::wrong_card;
}

}  // namespace quillet::sle4404

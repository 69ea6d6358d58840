#include "cards/crypto/at88sc_frames.h"

#include <algorithm>

namespace quillet::at88sc {

namespace {

constexpr Target whole_card(uint8_t card_type) { return {card_type, 0, 0}; }

Frame addressed(uint8_t cmd, Target target, uint16_t address) {
    Frame f(cmd);
    f.type(target.card_type).byte(target.area).byte(target.zone).be16(address);
    return f;
}

Status outcome(int32_t handle, const Frame& frame) {
    Reply reply;
    return exchange(handle, frame, Wait::normal, reply);
}

}  // namespace

Status read(int32_t handle, uint8_t cmd, Target target, uint16_t address, uint8_t count, uint8_t* out) {
    Frame f = addressed(cmd, target, address);
    f.be16(count);
    return read_data(handle, f, Wait::normal, out, count);
}

Status write(int32_t handle, Target target, uint16_t address, const uint8_t* data, size_t count) {
    Frame f = addressed(command::write, target, address);
    f.data(data, count);
    return outcome(handle, f);
}

Status plain(int32_t handle, uint8_t cmd, uint8_t card_type, std::span<const uint8_t> extra) {
    Frame f = addressed(cmd, whole_card(card_type), 0);
    f.data(extra);
    return outcome(handle, f);
}

Status reset(int32_t handle, uint8_t card_type, int16_t length, uint8_t* buffer) {
    if (length != answer_size) return Status::bad_length;
    return read(handle, command::reset, whole_card(card_type), 0, answer_size, buffer);
}

Status check_answer(int32_t handle, uint8_t card_type, const Answer& expected) {
    Answer answer{};
    if (failed(reset(handle, card_type, answer_size, answer.data()))) return Status::wrong_card;
    return answer == expected ? Status::ok : Status::wrong_card;
}

Status init_auth(int32_t handle, uint8_t card_type, int16_t length, const uint8_t* data) {
    if (length != auth_data_size) return Status::bad_length;
    return plain(handle, command::init_auth, card_type, {data, auth_data_size});
}

Status present_password(int32_t handle, uint8_t card_type, uint8_t counter_address, uint8_t which,
                        const uint8_t* password) {
    std::array<uint8_t, 2 + password_size> extra{counter_address, which};
    std::copy_n(password, password_size, extra.begin() + 2);
    return plain(handle, command::present_code, card_type, extra);
}

}  // namespace quillet::at88sc

#include "cards/cpu/cpu_card.h"

namespace quillet::cpu {

Status reset_slot(int32_t handle, uint8_t slot, int retries, uint8_t* answer, size_t& count) {
    Attempts attempts(retries);
    Reply reply(reply_capacity);
    QL_TRY(attempts.exchange(handle, reset_frame(slot), reply));
    const size_t n = reply.data().size();
    if (n > answer_max) return Status::response_too_long;
    count = reply.copy_data(answer, n);
    return Status::ok;
}

Status reset(int32_t handle, uint8_t* answer) {
    size_t count = 0;
    return reset_slot(handle, main_slot, reset_retries, answer, count);
}

Status protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) {
    return block_exchange(handle, main_slot, length, block, response, BlockCheck::header);
}

Status comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) {
    return raw_exchange(handle, main_slot, length, block, response);
}

Status set_card_speed(int32_t handle, int16_t slot_number, uint8_t value) {
    const auto slot = slot_byte(slot_number);
    if (!slot) return Status::bad_slot;
    Reply reply;
    return exchange(handle, value_frame(command::card_speed, *slot, value), Wait::normal, reply);
}

}  // namespace quillet::cpu

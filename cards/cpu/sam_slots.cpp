#include "cards/cpu/sam_slots.h"

#include "cards/cpu/cpu_card.h"
#include "core/checks.h"
#include "reader/reader_commands.h"

namespace quillet::sam {

namespace {

Status reset_into(int32_t handle, uint8_t slot, int16_t* length, uint8_t* answer) {
    size_t count = 0;
    QL_TRY(cpu::reset_slot(handle, slot, cpu::sam_reset_retries, answer, count));
    *length = static_cast<int16_t>(count);
    return Status::ok;
}

}  // namespace

Status power_on(int32_t handle) { return simple_service(handle, reader_command::contacts_on); }

Status power_down(int32_t handle) { return simple_service(handle, reader_command::contacts_off); }

Status select(int32_t handle, uint8_t sam_number) {
    Reply reply;
    return exchange(handle, cpu::value_frame(cpu::command::select_sam, cpu::current_sam, sam_number), Wait::normal,
                    reply);
}

Status reset(int32_t handle, int16_t* length, uint8_t* answer) {
    *length = 0;
    return reset_into(handle, cpu::current_sam, length, answer);
}

Status slot_reset(int32_t handle, int16_t slot_number, int16_t* length, uint8_t* answer) {
    *length = 0;
    const auto slot = cpu::slot_byte(slot_number);
    if (!slot) return Status::bad_slot;
    return reset_into(handle, *slot, length, answer);
}

Status protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) {
    return cpu::block_exchange(handle, cpu::current_sam, length, block, response, cpu::BlockCheck::whole_frame);
}

Status slot_protocol(int32_t handle, int16_t slot_number, int16_t length, const uint8_t* block,
                     int16_t* response_length, uint8_t* response) {
    const auto slot = cpu::slot_byte(slot_number);
    QL_TRY(first_failure({{slot.has_value(), Status::bad_slot}, cpu::block_length(length)}));
    const Status s = cpu::block_exchange(handle, *slot, length, block, response, cpu::BlockCheck::whole_frame);
    if (!failed(s)) *response_length = response[2];
    return s;
}

Status comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) {
    return cpu::raw_exchange(handle, cpu::current_sam, length, block, response);
}

}  // namespace quillet::sam

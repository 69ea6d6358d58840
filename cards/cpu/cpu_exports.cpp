// Exports of the processor-card slots: the main slot and the SAM slots.
#include "cards/cpu/cpu_card.h"
#include "cards/cpu/sam_slots.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

static_assert(QL_RESPONSE_TOO_LONG == code(Status::response_too_long));
static_assert(QL_CPU_BLOCK_MIN == cpu::block_min && QL_CPU_BLOCK_MAX == cpu::block_max);
static_assert(QL_CPU_ANSWER_MAX == cpu::answer_max);
static_assert(QL_CPU_RESPONSE_MAX == cpu::response_max && QL_CPU_RAW_RESPONSE_MAX == cpu::card_block_max);
static_assert(QL_CPU_FOLLOW_UPS_MAX == cpu::follow_ups_max);

QL_API int16_t QL_CALL cpu_reset(int32_t handle, uint8_t* answer) noexcept {
    return QL_TRACED(cpu::reset(handle, answer), handle, answer);
}
QL_API int16_t QL_CALL cpu_protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) noexcept {
    return QL_TRACED(cpu::protocol(handle, length, block, response), handle, length, block, response);
}
QL_API int16_t QL_CALL cpu_comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) noexcept {
    return QL_TRACED(cpu::comres(handle, length, block, response), handle, length, block, response);
}
QL_API int16_t QL_CALL set_card_baud(int32_t handle, int16_t slot, uint8_t value) noexcept {
    return QL_TRACED(cpu::set_card_speed(handle, slot, value), handle, slot, value);
}

QL_API int16_t QL_CALL sam_power_on(int32_t handle) noexcept { return QL_TRACED(sam::power_on(handle), handle); }
QL_API int16_t QL_CALL sam_power_down(int32_t handle) noexcept { return QL_TRACED(sam::power_down(handle), handle); }
QL_API int16_t QL_CALL sam_select(int32_t handle, uint8_t sam_number) noexcept {
    return QL_TRACED(sam::select(handle, sam_number), handle, sam_number);
}
QL_API int16_t QL_CALL sam_reset(int32_t handle, int16_t* length, uint8_t* answer) noexcept {
    return QL_TRACED(sam::reset(handle, length, answer), handle, length, answer);
}
QL_API int16_t QL_CALL sam_slt_reset(int32_t handle, int16_t slot, int16_t* length, uint8_t* answer) noexcept {
    return QL_TRACED(sam::slot_reset(handle, slot, length, answer), handle, slot, length, answer);
}
QL_API int16_t QL_CALL sam_protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) noexcept {
    return QL_TRACED(sam::protocol(handle, length, block, response), handle, length, block, response);
}
QL_API int16_t QL_CALL sam_slt_protocol(int32_t handle, int16_t slot, int16_t length, const uint8_t* block,
                                        int16_t* response_length, uint8_t* response) noexcept {
    return QL_TRACED(sam::slot_protocol(handle, slot, length, block, response_length, response), handle, slot, length,
                     block, response_length, response);
}
QL_API int16_t QL_CALL sam_comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) noexcept {
    return QL_TRACED(sam::comres(handle, length, block, response), handle, length, block, response);
}

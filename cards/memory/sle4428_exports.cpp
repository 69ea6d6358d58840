// Exports of the SLE4428 and SLE4418 cards: one implementation, the card's row chosen here.
#include "cards/memory/sle4428.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using sle4428::sle4418_card;
using sle4428::sle4428_card;

QL_API int16_t QL_CALL srd_4428(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4428::read(sle4428_card, handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_4428(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4428::write(sle4428_card, handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL rdwpb_4428(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4428::read_protected(sle4428_card, handle, offset, length, buffer), handle, offset, length,
                     buffer);
}
QL_API int16_t QL_CALL wrwpb_4428(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4428::write_protected(sle4428_card, handle, offset, length, data), handle, offset, length,
                     data);
}
QL_API int16_t QL_CALL pwr_4428(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4428::protect(sle4428_card, handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL csc_4428(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4428::present_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_4428(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4428::change_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_4428(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4428::read_code(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL rsct_4428(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(sle4428::read_error_counter(handle, count), handle, count);
}
QL_API int16_t QL_CALL chk_4428(int32_t handle) noexcept { return QL_TRACED(sle4428::check_sle4428(handle), handle); }

QL_API int16_t QL_CALL srd_4418(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4428::read(sle4418_card, handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_4418(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4428::write(sle4418_card, handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL rdwpb_4418(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4428::read_protected(sle4418_card, handle, offset, length, buffer), handle, offset, length,
                     buffer);
}
QL_API int16_t QL_CALL wrwpb_4418(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4428::write_protected(sle4418_card, handle, offset, length, data), handle, offset, length,
                     data);
}
QL_API int16_t QL_CALL pwr_4418(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4428::protect(sle4418_card, handle, offset, length, data), handle, offset, length, data);
}
// The SLE4418 carries no identification that could be checked: every card passes, nothing is sent.
QL_API int16_t QL_CALL chk_4418(int32_t) noexcept { return 0; }

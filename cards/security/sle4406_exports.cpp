// Exports of the SLE4406 cards; SLE4436 cards use them too and have their own identification check.
#include "cards/security/sle4406.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_API int16_t QL_CALL srd_4406(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4406::read(handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_4406(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4406::write(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL eswc_4406(int32_t handle, int16_t offset) noexcept {
    return QL_TRACED(sle4406::counter_step(handle, offset), handle, offset);
}
QL_API int16_t QL_CALL csc_4406(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4406::present_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_4406(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4406::change_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_4406(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4406::read_code(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL rsct_4406(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(sle4406::read_error_counter(handle, count), handle, count);
}
QL_API int16_t QL_CALL psnl_4406(int32_t handle) noexcept { return QL_TRACED(sle4406::personalise(handle), handle); }
QL_API int16_t QL_CALL chk_4406(int32_t handle) noexcept {
    return QL_TRACED(sle4406::check_card(handle, sle4406::sle4406_identity), handle);
}
QL_API int16_t QL_CALL chk_4436(int32_t handle) noexcept {
    return QL_TRACED(sle4406::check_card(handle, sle4406::sle4436_identity), handle);
}

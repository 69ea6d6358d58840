// Exports of the SLE4404 cards.
#include "cards/security/security_steps.h"
#include "cards/security/sle4404.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_API int16_t QL_CALL srd_4404(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4404::read(handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_4404(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4404::write(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL ser_4404(int32_t handle, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(sle4404::erase(handle, offset, length), handle, offset, length);
}
QL_API int16_t QL_CALL csc_4404(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4404::present(sle4404::security_code, handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_4404(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4404::change(sle4404::security_code, handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_4404(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4404::read_code(sle4404::security_code, handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL rsct_4404(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(sle4404::read_error_counter(handle, count), handle, count);
}
QL_API int16_t QL_CALL cesc_4404(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4404::present(sle4404::erase_code, handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wesc_4404(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4404::change(sle4404::erase_code, handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL resc_4404(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4404::read_code(sle4404::erase_code, handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL resct_4404(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(sle4404::read_erase_counter(handle, count), handle, count);
}
QL_API int16_t QL_CALL fakefus_4404(int32_t handle, int16_t flag) noexcept {
    return QL_TRACED(sle4404::simulate_fuse(handle, flag), handle, flag);
}
QL_API int16_t QL_CALL clrpr_4404(int32_t handle) noexcept {
    return QL_TRACED(sle4404::clear_flag(handle, security::protect_flag), handle);
}
QL_API int16_t QL_CALL clrrd_4404(int32_t handle) noexcept {
    return QL_TRACED(sle4404::clear_flag(handle, security::read_flag), handle);
}
QL_API int16_t QL_CALL psnl_4404(int32_t handle) noexcept { return QL_TRACED(sle4404::personalise(handle), handle); }
QL_API int16_t QL_CALL chk_4404(int32_t handle) noexcept { return QL_TRACED(sle4404::check_card(handle), handle); }

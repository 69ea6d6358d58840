// Exports of the SLE4442-class cards. The 2042 and SLE4432 names are the same operations.
#include "cards/memory/sle4442.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_API int16_t QL_CALL srd_4442(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read(handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_4442(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4442::write(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL prd_4442(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read_protection(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL pwr_4442(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4442::protect(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL csc_4442(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4442::present_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_4442(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4442::change_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_4442(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read_code(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL rsct_4442(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(sle4442::read_error_counter(handle, count), handle, count);
}
QL_API int16_t QL_CALL csc_4442_hex(int32_t handle, int16_t, uint8_t* text) noexcept {
    return QL_TRACED(sle4442::present_code_text(handle, text), handle, text);
}
QL_API int16_t QL_CALL wsc_4442_hex(int32_t handle, int16_t, uint8_t* text) noexcept {
    return QL_TRACED(sle4442::change_code_text(handle, text), handle, text);
}
QL_API int16_t QL_CALL rsc_4442_hex(int32_t handle, int16_t, uint8_t* text) noexcept {
    return QL_TRACED(sle4442::read_code_text(handle, text), handle, text);
}
QL_API int16_t QL_CALL chk_4442(int32_t handle) noexcept { return QL_TRACED(sle4442::check_sle4442(handle), handle); }

QL_API int16_t QL_CALL srd_2042(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read(handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_2042(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4442::write(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL prd_2042(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read_protection(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL pwr_2042(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4442::protect(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL csc_2042(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4442::present_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_2042(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(sle4442::change_code(handle, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_2042(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read_code(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL rsct_2042(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(sle4442::read_error_counter(handle, count), handle, count);
}
QL_API int16_t QL_CALL chk_2042(int32_t handle) noexcept { return QL_TRACED(sle4442::check_2042(handle), handle); }

QL_API int16_t QL_CALL srd_4432(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read(handle, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_4432(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4442::write(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL prd_4432(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(sle4442::read_protection(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL pwr_4432(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(sle4442::protect(handle, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_4432(int32_t handle) noexcept { return QL_TRACED(sle4442::check_sle4442(handle), handle); }

// Exports of the AT88SC1604, AT88SC1604B and AT88SC1604C cards: one implementation, one table row
// per variant (at88sc1604_variants.h). The code-area writes are internal and not exported.
#include "cards/security/at88sc1604.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using at88sc1604::Variant;

QL_API int16_t QL_CALL srd_1604(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                                uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read(handle, Variant::at88sc1604, zone, offset, length, buffer), handle, zone, offset,
                     length, buffer);
}
QL_API int16_t QL_CALL swr_1604(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                                const uint8_t* data) noexcept {
    return QL_TRACED(at88sc1604::write(handle, Variant::at88sc1604, zone, offset, length, data), handle, zone, offset,
                     length, data);
}
QL_API int16_t QL_CALL ser_1604(int32_t handle, int16_t zone, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(at88sc1604::erase(handle, Variant::at88sc1604, zone, offset, length), handle, zone, offset,
                     length);
}
QL_API int16_t QL_CALL csc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::present_security_code(handle, Variant::at88sc1604, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::write_security_code(handle, Variant::at88sc1604, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_1604(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read_security_code(handle, Variant::at88sc1604, zone, length, buffer), handle, zone,
                     length, buffer);
}
QL_API int16_t QL_CALL rsct_1604(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(at88sc1604::read_error_counter(handle, Variant::at88sc1604, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL cesc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::present_erase_code(handle, Variant::at88sc1604, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL wesc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::write_erase_code(handle, Variant::at88sc1604, zone, length, code_bytes), handle, zone,
                     length, code_bytes);
}
QL_API int16_t QL_CALL resc_1604(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read_erase_code(handle, Variant::at88sc1604, zone, length, buffer), handle, zone,
                     length, buffer);
}
QL_API int16_t QL_CALL resct_1604(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(at88sc1604::read_erase_counter(handle, Variant::at88sc1604, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL clrpr_1604(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(at88sc1604::clear_protect_flag(handle, Variant::at88sc1604, zone), handle, zone);
}
QL_API int16_t QL_CALL clrrd_1604(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(at88sc1604::clear_read_flag(handle, Variant::at88sc1604, zone), handle, zone);
}
QL_API int16_t QL_CALL fakefus_1604(int32_t handle, int16_t flag) noexcept {
    return QL_TRACED(at88sc1604::set_fuse_simulation(handle, Variant::at88sc1604, flag), handle, flag);
}
QL_API int16_t QL_CALL psnl_1604(int32_t handle) noexcept {
    return QL_TRACED(at88sc1604::personalise(handle, Variant::at88sc1604), handle);
}
QL_API int16_t QL_CALL chk_1604(int32_t handle) noexcept {
    return QL_TRACED(at88sc1604::check(handle, Variant::at88sc1604), handle);
}

QL_API int16_t QL_CALL srd_1604b(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                                 uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read(handle, Variant::at88sc1604b, zone, offset, length, buffer), handle, zone, offset,
                     length, buffer);
}
QL_API int16_t QL_CALL swr_1604b(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                                 const uint8_t* data) noexcept {
    return QL_TRACED(at88sc1604::write(handle, Variant::at88sc1604b, zone, offset, length, data), handle, zone, offset,
                     length, data);
}
QL_API int16_t QL_CALL ser_1604b(int32_t handle, int16_t zone, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(at88sc1604::erase(handle, Variant::at88sc1604b, zone, offset, length), handle, zone, offset,
                     length);
}
QL_API int16_t QL_CALL csc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::present_security_code(handle, Variant::at88sc1604b, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::write_security_code(handle, Variant::at88sc1604b, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_1604b(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read_security_code(handle, Variant::at88sc1604b, zone, length, buffer), handle, zone,
                     length, buffer);
}
QL_API int16_t QL_CALL rsct_1604b(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(at88sc1604::read_error_counter(handle, Variant::at88sc1604b, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL cesc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::present_erase_code(handle, Variant::at88sc1604b, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL wesc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::write_erase_code(handle, Variant::at88sc1604b, zone, length, code_bytes), handle, zone,
                     length, code_bytes);
}
QL_API int16_t QL_CALL resc_1604b(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read_erase_code(handle, Variant::at88sc1604b, zone, length, buffer), handle, zone,
                     length, buffer);
}
QL_API int16_t QL_CALL resct_1604b(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(at88sc1604::read_erase_counter(handle, Variant::at88sc1604b, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL clrpr_1604b(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(at88sc1604::clear_protect_flag(handle, Variant::at88sc1604b, zone), handle, zone);
}
QL_API int16_t QL_CALL clrrd_1604b(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(at88sc1604::clear_read_flag(handle, Variant::at88sc1604b, zone), handle, zone);
}
QL_API int16_t QL_CALL fakefus_1604b(int32_t handle, int16_t flag) noexcept {
    return QL_TRACED(at88sc1604::set_fuse_simulation(handle, Variant::at88sc1604b, flag), handle, flag);
}
QL_API int16_t QL_CALL psnl_1604b(int32_t handle) noexcept {
    return QL_TRACED(at88sc1604::personalise(handle, Variant::at88sc1604b), handle);
}
QL_API int16_t QL_CALL chk_1604b(int32_t handle) noexcept {
    return QL_TRACED(at88sc1604::check(handle, Variant::at88sc1604b), handle);
}

QL_API int16_t QL_CALL srd_1604c(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                                 uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read(handle, Variant::at88sc1604c, zone, offset, length, buffer), handle, zone, offset,
                     length, buffer);
}
QL_API int16_t QL_CALL swr_1604c(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                                 const uint8_t* data) noexcept {
    return QL_TRACED(at88sc1604::write(handle, Variant::at88sc1604c, zone, offset, length, data), handle, zone, offset,
                     length, data);
}
QL_API int16_t QL_CALL ser_1604c(int32_t handle, int16_t zone, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(at88sc1604::erase(handle, Variant::at88sc1604c, zone, offset, length), handle, zone, offset,
                     length);
}
QL_API int16_t QL_CALL csc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::present_security_code(handle, Variant::at88sc1604c, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL wsc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::write_security_code(handle, Variant::at88sc1604c, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL rsc_1604c(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read_security_code(handle, Variant::at88sc1604c, zone, length, buffer), handle, zone,
                     length, buffer);
}
QL_API int16_t QL_CALL rsct_1604c(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(at88sc1604::read_error_counter(handle, Variant::at88sc1604c, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL cesc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::present_erase_code(handle, Variant::at88sc1604c, zone, length, code_bytes), handle,
                     zone, length, code_bytes);
}
QL_API int16_t QL_CALL wesc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(at88sc1604::write_erase_code(handle, Variant::at88sc1604c, zone, length, code_bytes), handle, zone,
                     length, code_bytes);
}
QL_API int16_t QL_CALL resc_1604c(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1604::read_erase_code(handle, Variant::at88sc1604c, zone, length, buffer), handle, zone,
                     length, buffer);
}
QL_API int16_t QL_CALL resct_1604c(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(at88sc1604::read_erase_counter(handle, Variant::at88sc1604c, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL clrpr_1604c(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(at88sc1604::clear_protect_flag(handle, Variant::at88sc1604c, zone), handle, zone);
}
QL_API int16_t QL_CALL clrrd_1604c(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(at88sc1604::clear_read_flag(handle, Variant::at88sc1604c, zone), handle, zone);
}
QL_API int16_t QL_CALL fakefus_1604c(int32_t handle, int16_t flag) noexcept {
    return QL_TRACED(at88sc1604::set_fuse_simulation(handle, Variant::at88sc1604c, flag), handle, flag);
}
QL_API int16_t QL_CALL psnl_1604c(int32_t handle) noexcept {
    return QL_TRACED(at88sc1604::personalise(handle, Variant::at88sc1604c), handle);
}
QL_API int16_t QL_CALL chk_1604c(int32_t handle) noexcept {
    return QL_TRACED(at88sc1604::check(handle, Variant::at88sc1604c), handle);
}

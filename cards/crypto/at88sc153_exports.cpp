// Exports of the AT88SC153 cards.
#include "cards/crypto/at88sc153.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using at88sc153::layout;

QL_API int16_t QL_CALL reset_153(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::reset(layout, handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL chk_153(int32_t handle) noexcept { return QL_TRACED(at88sc::check(layout, handle), handle); }
QL_API int16_t QL_CALL init_auth_153(int32_t handle, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::init_auth(layout, handle, length, data), handle, length, data);
}
QL_API int16_t QL_CALL srd_153(int32_t handle, int16_t zone, int16_t address, int16_t length,
                               uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc153::read(handle, zone, address, length, buffer), handle, zone, address, length, buffer);
}
QL_API int16_t QL_CALL swr_153(int32_t handle, int16_t zone, int16_t address, int16_t length,
                               const uint8_t* data) noexcept {
    return QL_TRACED(at88sc153::write(handle, zone, address, length, data), handle, zone, address, length, data);
}
QL_API int16_t QL_CALL srdconfig_153(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_configuration(layout, handle, address, length, buffer), handle, address, length,
                     buffer);
}
QL_API int16_t QL_CALL swrconfig_153(int32_t handle, int16_t address, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::write_configuration(layout, handle, address, length, data), handle, address, length, data);
}
QL_API int16_t QL_CALL rac_153(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_access(layout, handle, zone, length, buffer), handle, zone, length, buffer);
}
QL_API int16_t QL_CALL wac_153(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::write_access(layout, handle, zone, length, data), handle, zone, length, data);
}
QL_API int16_t QL_CALL rdcr_153(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_register(layout, handle, at88sc153::device_configuration, length, buffer), handle,
                     length, buffer);
}
QL_API int16_t QL_CALL wdcr_153(int32_t handle, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::write_register(layout, handle, at88sc153::device_configuration, length, data), handle,
                     length, data);
}
QL_API int16_t QL_CALL rautht_153(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_register(layout, handle, at88sc153::authentication_attempts, length, buffer), handle,
                     length, buffer);
}
QL_API int16_t QL_CALL csc_153(int32_t handle, int16_t set, int16_t selector, int16_t length,
                               const uint8_t* password) noexcept {
    return QL_TRACED(at88sc::present_password(layout, handle, set, selector, length, password), handle, set, selector,
                     length, password);
}
QL_API int16_t QL_CALL rsc_153(int32_t handle, int16_t set, int16_t selector, int16_t length,
                               uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_password(layout, handle, set, selector, length, buffer), handle, set, selector,
                     length, buffer);
}
QL_API int16_t QL_CALL wsc_153(int32_t handle, int16_t set, int16_t selector, int16_t length,
                               const uint8_t* password) noexcept {
    return QL_TRACED(at88sc::write_password(layout, handle, set, selector, length, password), handle, set, selector,
                     length, password);
}
QL_API int16_t QL_CALL rsct_153(int32_t handle, int16_t set, int16_t selector, int16_t length,
                                uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_attempts(layout, handle, set, selector, length, buffer), handle, set, selector,
                     length, buffer);
}
QL_API int16_t QL_CALL srfus_153(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc153::read_fuses(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL swfus_153(int32_t handle, uint8_t fuse) noexcept {
    return QL_TRACED(at88sc153::blow_fuse(handle, fuse), handle, fuse);
}
QL_API int16_t QL_CALL psnl_153(int32_t handle) noexcept { return QL_TRACED(at88sc153::personalise(handle), handle); }

// Exports of the AT88SC153 cards.
#include "cards/crypto/at88sc153.h"
#include "cards/crypto/at88sc_exports.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using at88sc153::layout;

QL_AT88SC_EXPORTS(153, at88sc153)

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
QL_AT88SC_PASSWORD_EXPORTS(153, selector, length)
QL_API int16_t QL_CALL srfus_153(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc153::read_fuses(handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL swfus_153(int32_t handle, uint8_t fuse) noexcept {
    return QL_TRACED(at88sc153::blow_fuse(handle, fuse), handle, fuse);
}

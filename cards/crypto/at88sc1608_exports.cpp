// Exports of the AT88SC1608 cards.
#include "cards/crypto/at88sc1608.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using at88sc1608::layout;

QL_API int16_t QL_CALL reset_1608(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::reset(layout, handle, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL chk_1608(int32_t handle) noexcept { return QL_TRACED(at88sc::check(layout, handle), handle); }
QL_API int16_t QL_CALL init_auth_1608(int32_t handle, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::init_auth(layout, handle, length, data), handle, length, data);
}
QL_API int16_t QL_CALL srd_1608(int32_t handle, int16_t zone, int16_t address, int16_t length,
                                uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc1608::read(handle, zone, address, length, buffer), handle, zone, address, length, buffer);
}
QL_API int16_t QL_CALL swr_1608(int32_t handle, int16_t zone, int16_t address, int16_t length,
                                const uint8_t* data) noexcept {
    return QL_TRACED(at88sc1608::write(handle, zone, address, length, data), handle, zone, address, length, data);
}
QL_API int16_t QL_CALL srdconfig_1608(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_configuration(layout, handle, address, length, buffer), handle, address, length,
                     buffer);
}
QL_API int16_t QL_CALL swrconfig_1608(int32_t handle, int16_t address, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::write_configuration(layout, handle, address, length, data), handle, address, length, data);
}
QL_API int16_t QL_CALL srfus_1608(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_register(layout, handle, at88sc1608::fuse_address, length, buffer), handle, length,
                     buffer);
}
QL_API int16_t QL_CALL csc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                const uint8_t* password) noexcept {
    return QL_TRACED(at88sc::present_password(layout, handle, set, selector, length, password), handle, set, length,
                     selector, password);
}
QL_API int16_t QL_CALL wsc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                const uint8_t* password) noexcept {
    return QL_TRACED(at88sc::write_password(layout, handle, set, selector, length, password), handle, set, length,
                     selector, password);
}
QL_API int16_t QL_CALL rsc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_password(layout, handle, set, selector, length, buffer), handle, set, length,
                     selector, buffer);
}
QL_API int16_t QL_CALL rsct_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                 uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_attempts(layout, handle, set, selector, length, buffer), handle, set, length,
                     selector, buffer);
}
QL_API int16_t QL_CALL rac_1608(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_access(layout, handle, zone, length, buffer), handle, zone, length, buffer);
}
QL_API int16_t QL_CALL wac_1608(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(at88sc::write_access(layout, handle, zone, length, data), handle, zone, length, data);
}
QL_API int16_t QL_CALL psnl_1608(int32_t handle) noexcept { return QL_TRACED(at88sc1608::personalise(handle), handle); }

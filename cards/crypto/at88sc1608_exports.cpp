// Exports of the AT88SC1608 cards.
#include "cards/crypto/at88sc1608.h"
#include "quillet.h"

using namespace quillet;

QL_API int16_t QL_CALL reset_1608(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return code(at88sc1608::reset(handle, length, buffer));
}
QL_API int16_t QL_CALL chk_1608(int32_t handle) noexcept { return code(at88sc1608::check(handle)); }
QL_API int16_t QL_CALL init_auth_1608(int32_t handle, int16_t length, const uint8_t* data) noexcept {
    return code(at88sc1608::init_auth(handle, length, data));
}
QL_API int16_t QL_CALL srd_1608(int32_t handle, int16_t zone, int16_t address, int16_t length,
                                uint8_t* buffer) noexcept {
    return code(at88sc1608::read(handle, zone, address, length, buffer));
}
QL_API int16_t QL_CALL swr_1608(int32_t handle, int16_t zone, int16_t address, int16_t length,
                                const uint8_t* data) noexcept {
    return code(at88sc1608::write(handle, zone, address, length, data));
}
QL_API int16_t QL_CALL srdconfig_1608(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) noexcept {
    return code(at88sc1608::read_configuration(handle, address, length, buffer));
}
QL_API int16_t QL_CALL swrconfig_1608(int32_t handle, int16_t address, int16_t length, const uint8_t* data) noexcept {
    return code(at88sc1608::write_configuration(handle, address, length, data));
}
QL_API int16_t QL_CALL srfus_1608(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return code(at88sc1608::read_fuses(handle, length, buffer));
}
QL_API int16_t QL_CALL csc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                const uint8_t* password) noexcept {
    return code(at88sc1608::present_password(handle, set, length, selector, password));
}
QL_API int16_t QL_CALL wsc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                const uint8_t* password) noexcept {
    return code(at88sc1608::write_password(handle, set, length, selector, password));
}
QL_API int16_t QL_CALL rsc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                uint8_t* buffer) noexcept {
    return code(at88sc1608::read_password(handle, set, length, selector, buffer));
}
QL_API int16_t QL_CALL rsct_1608(int32_t handle, int16_t set, int16_t length, int16_t selector,
                                 uint8_t* buffer) noexcept {
    return code(at88sc1608::read_attempts(handle, set, length, selector, buffer));
}
QL_API int16_t QL_CALL rac_1608(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return code(at88sc1608::read_access(handle, zone, length, buffer));
}
QL_API int16_t QL_CALL wac_1608(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) noexcept {
    return code(at88sc1608::write_access(handle, zone, length, data));
}
QL_API int16_t QL_CALL psnl_1608(int32_t handle) noexcept { return code(at88sc1608::personalise(handle)); }

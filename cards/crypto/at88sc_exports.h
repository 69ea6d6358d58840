// Exports of the AT88SC153 and AT88SC1608 cards, written once for both: used in the families'
// export files, which include quillet.h and core/trace.h.
#pragma once

#include "cards/crypto/at88sc_card.h"
#include "cards/memory/memory_exports.h"

// The exports every AT88SC153/1608 card has, for a family namespace (its read, write and
// personalise, and a `layout`) and the suffix of its export names. Used in the families' export files.
#define QL_AT88SC_EXPORTS(suffix, family)                                                                              \
    QL_API int16_t QL_CALL reset_##suffix(int32_t handle, int16_t length, uint8_t* buffer) noexcept {                  \
        return QL_TRACED(at88sc::reset(layout, handle, length, buffer), handle, length, buffer);                       \
    }                                                                                                                  \
    QL_API int16_t QL_CALL chk_##suffix(int32_t handle) noexcept {                                                     \
        return QL_TRACED(at88sc::check(layout, handle), handle);                                                       \
    }                                                                                                                  \
    QL_API int16_t QL_CALL init_auth_##suffix(int32_t handle, int16_t length, const uint8_t* data) noexcept {          \
        return QL_TRACED(at88sc::init_auth(layout, handle, length, data), handle, length, data);                       \
    }                                                                                                                  \
    QL_ADDRESSED_MEMORY_EXPORTS(suffix, family, zone, address, int16_t)                                                \
    QL_API int16_t QL_CALL srdconfig_##suffix(int32_t handle, int16_t address, int16_t length,                         \
                                              uint8_t* buffer) noexcept {                                              \
        return QL_TRACED(at88sc::read_configuration(layout, handle, address, length, buffer), handle, address, length, \
                         buffer);                                                                                      \
    }                                                                                                                  \
    QL_API int16_t QL_CALL swrconfig_##suffix(int32_t handle, int16_t address, int16_t length,                         \
                                              const uint8_t* data) noexcept {                                          \
        return QL_TRACED(at88sc::write_configuration(layout, handle, address, length, data), handle, address, length,  \
                         data);                                                                                        \
    }                                                                                                                  \
    QL_API int16_t QL_CALL rac_##suffix(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {      \
        return QL_TRACED(at88sc::read_access(layout, handle, zone, length, buffer), handle, zone, length, buffer);     \
    }                                                                                                                  \
    QL_API int16_t QL_CALL wac_##suffix(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) noexcept {  \
        return QL_TRACED(at88sc::write_access(layout, handle, zone, length, data), handle, zone, length, data);        \
    }                                                                                                                  \
    QL_API int16_t QL_CALL psnl_##suffix(int32_t handle) noexcept {                                                    \
        return QL_TRACED(family::personalise(handle), handle);                                                         \
    }

// The password exports: present, write and read a password, read its attempts counter. The
// families' export names take the set and selector in different orders around the length: second
// and third name the second and third arguments (selector and length, either way round).
#define QL_AT88SC_PASSWORD_EXPORTS(suffix, second, third)                                                              \
    QL_API int16_t QL_CALL csc_##suffix(int32_t handle, int16_t set, int16_t second, int16_t third,                    \
                                        const uint8_t* password) noexcept {                                            \
        return QL_TRACED(at88sc::present_password(layout, handle, set, selector, length, password), handle, set,       \
                         second, third, password);                                                                     \
    }                                                                                                                  \
    QL_API int16_t QL_CALL wsc_##suffix(int32_t handle, int16_t set, int16_t second, int16_t third,                    \
                                        const uint8_t* password) noexcept {                                            \
        return QL_TRACED(at88sc::write_password(layout, handle, set, selector, length, password), handle, set, second, \
                         third, password);                                                                             \
    }                                                                                                                  \
    QL_API int16_t QL_CALL rsc_##suffix(int32_t handle, int16_t set, int16_t second, int16_t third,                    \
                                        uint8_t* buffer) noexcept {                                                    \
        return QL_TRACED(at88sc::read_password(layout, handle, set, selector, length, buffer), handle, set, second,    \
                         third, buffer);                                                                               \
    }                                                                                                                  \
    QL_API int16_t QL_CALL rsct_##suffix(int32_t handle, int16_t set, int16_t second, int16_t third,                   \
                                         uint8_t* buffer) noexcept {                                                   \
        return QL_TRACED(at88sc::read_attempts(layout, handle, set, selector, length, buffer), handle, set, second,    \
                         third, buffer);                                                                               \
    }

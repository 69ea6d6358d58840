// Exports of the AT88SC1604, AT88SC1604B and AT88SC1604C cards: one implementation, one table row
// per variant (at88sc1604_variants.h). The code-area writes are internal and not exported.
#include "cards/security/at88sc1604.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using at88sc1604::Variant;

// The four exports of one code: present, write, read and read its counter. Their names put `e`
// (empty for the security code, e for the erase code) after their first letter.
#define QL_AT88SC1604_CODE_EXPORTS(suffix, variant, e, code, counter)                                                  \
    QL_API int16_t QL_CALL c##e##sc_##suffix(int32_t handle, int16_t zone, int16_t length,                             \
                                             const uint8_t* code_bytes) noexcept {                                     \
        return QL_TRACED(at88sc1604::present_##code##_code(handle, Variant::variant, zone, length, code_bytes),        \
                         handle, zone, length, code_bytes);                                                            \
    }                                                                                                                  \
    QL_API int16_t QL_CALL w##e##sc_##suffix(int32_t handle, int16_t zone, int16_t length,                             \
                                             const uint8_t* code_bytes) noexcept {                                     \
        return QL_TRACED(at88sc1604::write_##code##_code(handle, Variant::variant, zone, length, code_bytes), handle,  \
                         zone, length, code_bytes);                                                                    \
    }                                                                                                                  \
    QL_API int16_t QL_CALL r##e##sc_##suffix(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept { \
        return QL_TRACED(at88sc1604::read_##code##_code(handle, Variant::variant, zone, length, buffer), handle, zone, \
                         length, buffer);                                                                              \
    }                                                                                                                  \
    QL_API int16_t QL_CALL r##e##sct_##suffix(int32_t handle, int16_t zone, int16_t* count) noexcept {                 \
        return QL_TRACED(at88sc1604::read_##counter##_counter(handle, Variant::variant, zone, count), handle, zone,    \
                         count);                                                                                       \
    }

// The sixteen exports of one variant: each name ends in the variant's suffix and passes the variant on.
#define QL_AT88SC1604_EXPORTS(suffix, variant)                                                                    \
    QL_API int16_t QL_CALL srd_##suffix(int32_t handle, int16_t zone, int16_t offset, int16_t length,             \
                                        uint8_t* buffer) noexcept {                                               \
        return QL_TRACED(at88sc1604::read(handle, Variant::variant, zone, offset, length, buffer), handle, zone,  \
                         offset, length, buffer);                                                                 \
    }                                                                                                             \
    QL_API int16_t QL_CALL swr_##suffix(int32_t handle, int16_t zone, int16_t offset, int16_t length,             \
                                        const uint8_t* data) noexcept {                                           \
        return QL_TRACED(at88sc1604::write(handle, Variant::variant, zone, offset, length, data), handle, zone,   \
                         offset, length, data);                                                                   \
    }                                                                                                             \
    QL_API int16_t QL_CALL ser_##suffix(int32_t handle, int16_t zone, int16_t offset, int16_t length) noexcept {  \
        return QL_TRACED(at88sc1604::erase(handle, Variant::variant, zone, offset, length), handle, zone, offset, \
                         length);                                                                                 \
    }                                                                                                             \
    QL_AT88SC1604_CODE_EXPORTS(suffix, variant, , security, error)                                                \
    QL_AT88SC1604_CODE_EXPORTS(suffix, variant, e, erase, erase)                                                  \
    QL_API int16_t QL_CALL clrpr_##suffix(int32_t handle, int16_t zone) noexcept {                                \
        return QL_TRACED(at88sc1604::clear_protect_flag(handle, Variant::variant, zone), handle, zone);           \
    }                                                                                                             \
    QL_API int16_t QL_CALL clrrd_##suffix(int32_t handle, int16_t zone) noexcept {                                \
        return QL_TRACED(at88sc1604::clear_read_flag(handle, Variant::variant, zone), handle, zone);              \
    }                                                                                                             \
    QL_API int16_t QL_CALL fakefus_##suffix(int32_t handle, int16_t flag) noexcept {                              \
        return QL_TRACED(at88sc1604::set_fuse_simulation(handle, Variant::variant, flag), handle, flag);          \
    }                                                                                                             \
    QL_API int16_t QL_CALL psnl_##suffix(int32_t handle) noexcept {                                               \
        return QL_TRACED(at88sc1604::personalise(handle, Variant::variant), handle);                              \
    }                                                                                                             \
    QL_API int16_t QL_CALL chk_##suffix(int32_t handle) noexcept {                                                \
        return QL_TRACED(at88sc1604::check(handle, Variant::variant), handle);                                    \
    }

QL_AT88SC1604_EXPORTS(1604, at88sc1604)
QL_AT88SC1604_EXPORTS(1604b, at88sc1604b)
QL_AT88SC1604_EXPORTS(1604c, at88sc1604c)

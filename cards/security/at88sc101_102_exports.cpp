// Exports of the AT88SC101 and AT88SC102 cards: each forwards to the shared implementation with
// its card's row (the AT88SC101's functions name its one zone, 0).
#include "cards/security/at88sc101_102.h"
#include "cards/security/security_steps.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using namespace quillet::at88sc10x;

// The exports of the security code and its error counter of a card row, named with the given suffix.
#define QL_AT88SC10X_CODE_EXPORTS(suffix, card)                                                               \
    QL_API int16_t QL_CALL csc_##suffix(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept { \
        return QL_TRACED(present_code(card, handle, length, code_bytes), handle, length, code_bytes);         \
    }                                                                                                         \
    QL_API int16_t QL_CALL wsc_##suffix(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept { \
        return QL_TRACED(change_code(card, handle, length, code_bytes), handle, length, code_bytes);          \
    }                                                                                                         \
    QL_API int16_t QL_CALL rsc_##suffix(int32_t handle, int16_t length, uint8_t* buffer) noexcept {           \
        return QL_TRACED(read_code(card, handle, length, buffer), handle, length, buffer);                    \
    }                                                                                                         \
    QL_API int16_t QL_CALL rsct_##suffix(int32_t handle, int16_t* count) noexcept {                           \
        return QL_TRACED(read_error_counter(card, handle, count), handle, count);                             \
    }

// The fuse simulation, personalisation and identification check of a card row, named with the given suffix.
#define QL_AT88SC10X_CARD_EXPORTS(suffix, card)                                      \
    QL_API int16_t QL_CALL fakefus_##suffix(int32_t handle, int16_t flag) noexcept { \
        return QL_TRACED(simulate_fuse(card, handle, flag), handle, flag);           \
    }                                                                                \
    QL_API int16_t QL_CALL psnl_##suffix(int32_t handle) noexcept {                  \
        return QL_TRACED(personalise(card, handle), handle);                         \
    }                                                                                \
    QL_API int16_t QL_CALL chk_##suffix(int32_t handle) noexcept { return QL_TRACED(check_card(card, handle), handle); }

QL_API int16_t QL_CALL srd_101(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(read(at88sc101, handle, whole_card, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_101(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(write(at88sc101, handle, whole_card, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL ser_101(int32_t handle, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(erase(at88sc101, handle, whole_card, offset, length), handle, offset, length);
}
QL_AT88SC10X_CODE_EXPORTS(101, at88sc101)
QL_API int16_t QL_CALL cesc_101(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(present_erase_code(at88sc101, handle, whole_card, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL wesc_101(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(change_erase_code(at88sc101, handle, whole_card, length, code_bytes), handle, length, code_bytes);
}
QL_API int16_t QL_CALL resc_101(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(read_erase_code(at88sc101, handle, whole_card, length, buffer), handle, length, buffer);
}
QL_API int16_t QL_CALL resct_101(int32_t handle, int16_t* count) noexcept {
    return QL_TRACED(read_erase_counter(at88sc101, handle, whole_card, count), handle, count);
}
QL_API int16_t QL_CALL clrpr_101(int32_t handle) noexcept {
    return QL_TRACED(clear_flag(at88sc101, handle, whole_card, security::protect_flag), handle);
}
QL_API int16_t QL_CALL clrrd_101(int32_t handle) noexcept {
    return QL_TRACED(clear_flag(at88sc101, handle, whole_card, security::read_flag), handle);
}
QL_AT88SC10X_CARD_EXPORTS(101, at88sc101)

QL_API int16_t QL_CALL srd_102(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(read(at88sc102, handle, zone, offset, length, buffer), handle, zone, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_102(int32_t handle, int16_t zone, int16_t offset, int16_t length,
                               const uint8_t* data) noexcept {
    return QL_TRACED(write(at88sc102, handle, zone, offset, length, data), handle, zone, offset, length, data);
}
QL_API int16_t QL_CALL ser_102(int32_t handle, int16_t zone, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(erase(at88sc102, handle, zone, offset, length), handle, zone, offset, length);
}
QL_AT88SC10X_CODE_EXPORTS(102, at88sc102)
QL_API int16_t QL_CALL cesc_102(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(present_erase_code(at88sc102, handle, zone, length, code_bytes), handle, zone, length, code_bytes);
}
QL_API int16_t QL_CALL wesc_102(int32_t handle, int16_t zone, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(change_erase_code(at88sc102, handle, zone, length, code_bytes), handle, zone, length, code_bytes);
}
QL_API int16_t QL_CALL resc_102(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(read_erase_code(at88sc102, handle, zone, length, buffer), handle, zone, length, buffer);
}
QL_API int16_t QL_CALL resct_102(int32_t handle, int16_t zone, int16_t* count) noexcept {
    return QL_TRACED(read_erase_counter(at88sc102, handle, zone, count), handle, zone, count);
}
QL_API int16_t QL_CALL clrpr_102(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(clear_flag(at88sc102, handle, zone, security::protect_flag), handle, zone);
}
QL_API int16_t QL_CALL clrrd_102(int32_t handle, int16_t zone) noexcept {
    return QL_TRACED(clear_flag(at88sc102, handle, zone, security::read_flag), handle, zone);
}
QL_AT88SC10X_CARD_EXPORTS(102, at88sc102)

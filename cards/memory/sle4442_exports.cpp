// Exports of the SLE4442-class cards. The 2042 and SLE4432 names are the same operations.
#include "cards/memory/sle4442.h"
#include "cards/memory/memory_exports.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

// The exports of the memory and its protection bits, named with the given suffix.
#define QL_SLE4442_MEMORY_EXPORTS(suffix)                                                               \
    QL_SLE_MEMORY_EXPORTS(suffix, sle4442)                                                              \
    QL_API int16_t QL_CALL prd_##suffix(int32_t handle, int16_t length, uint8_t* buffer) noexcept {     \
        return QL_TRACED(sle4442::read_protection(handle, length, buffer), handle, length, buffer);     \
    }                                                                                                   \
    QL_API int16_t QL_CALL pwr_##suffix(int32_t handle, int16_t offset, int16_t length,                 \
                                        const uint8_t* data) noexcept {                                 \
        return QL_TRACED(sle4442::protect(handle, offset, length, data), handle, offset, length, data); \
    }

QL_SLE4442_MEMORY_EXPORTS(4442)
QL_SLE_CODE_EXPORTS(4442, sle4442)
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

QL_SLE4442_MEMORY_EXPORTS(2042)
QL_SLE_CODE_EXPORTS(2042, sle4442)
QL_API int16_t QL_CALL chk_2042(int32_t handle) noexcept { return QL_TRACED(sle4442::check_2042(handle), handle); }

QL_SLE4442_MEMORY_EXPORTS(4432)
QL_API int16_t QL_CALL chk_4432(int32_t handle) noexcept { return QL_TRACED(sle4442::check_sle4442(handle), handle); }

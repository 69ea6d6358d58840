// Exports of the SLE4404 cards.
#include "cards/memory/memory_exports.h"
#include "cards/security/security_steps.h"
#include "cards/security/sle4404.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

// The four exports of one code: present, change, read and read its counter. Their names put
// `e` (empty for the security code, e for the erase code) after their first letter.
#define QL_SLE4404_CODE_EXPORTS(e, code, counter)                                                                  \
    QL_API int16_t QL_CALL c##e##sc_4404(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {     \
        return QL_TRACED(sle4404::present(sle4404::code, handle, length, code_bytes), handle, length, code_bytes); \
    }                                                                                                              \
    QL_API int16_t QL_CALL w##e##sc_4404(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {     \
        return QL_TRACED(sle4404::change(sle4404::code, handle, length, code_bytes), handle, length, code_bytes);  \
    }                                                                                                              \
    QL_API int16_t QL_CALL r##e##sc_4404(int32_t handle, int16_t length, uint8_t* buffer) noexcept {               \
        return QL_TRACED(sle4404::read_code(sle4404::code, handle, length, buffer), handle, length, buffer);       \
    }                                                                                                              \
    QL_API int16_t QL_CALL r##e##sct_4404(int32_t handle, int16_t* count) noexcept {                               \
        return QL_TRACED(sle4404::counter(handle, count), handle, count);                                          \
    }

QL_SLE_MEMORY_EXPORTS(4404, sle4404)
QL_API int16_t QL_CALL ser_4404(int32_t handle, int16_t offset, int16_t length) noexcept {
    return QL_TRACED(sle4404::erase(handle, offset, length), handle, offset, length);
}
QL_SLE4404_CODE_EXPORTS(, security_code, read_error_counter)
QL_SLE4404_CODE_EXPORTS(e, erase_code, read_erase_counter)
QL_API int16_t QL_CALL fakefus_4404(int32_t handle, int16_t flag) noexcept {
    return QL_TRACED(sle4404::simulate_fuse(handle, flag), handle, flag);
}
QL_API int16_t QL_CALL clrpr_4404(int32_t handle) noexcept {
    return QL_TRACED(sle4404::clear_flag(handle, security::protect_flag), handle);
}
QL_API int16_t QL_CALL clrrd_4404(int32_t handle) noexcept {
    return QL_TRACED(sle4404::clear_flag(handle, security::read_flag), handle);
}
QL_API int16_t QL_CALL psnl_4404(int32_t handle) noexcept { return QL_TRACED(sle4404::personalise(handle), handle); }
QL_API int16_t QL_CALL chk_4404(int32_t handle) noexcept { return QL_TRACED(sle4404::check_card(handle), handle); }

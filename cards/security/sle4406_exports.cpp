// Exports of the SLE4406 cards; SLE4436 cards use them too and have their own identification check.
#include "cards/memory/memory_exports.h"
#include "cards/security/sle4406.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_SLE_MEMORY_EXPORTS(4406, sle4406)
QL_API int16_t QL_CALL eswc_4406(int32_t handle, int16_t offset) noexcept {
    return QL_TRACED(sle4406::counter_step(handle, offset), handle, offset);
}
QL_SLE_CODE_EXPORTS(4406, sle4406)
QL_API int16_t QL_CALL psnl_4406(int32_t handle) noexcept { return QL_TRACED(sle4406::personalise(handle), handle); }
QL_API int16_t QL_CALL chk_4406(int32_t handle) noexcept {
    return QL_TRACED(sle4406::check_card(handle, sle4406::sle4406_identity), handle);
}
QL_API int16_t QL_CALL chk_4436(int32_t handle) noexcept {
    return QL_TRACED(sle4406::check_card(handle, sle4406::sle4436_identity), handle);
}

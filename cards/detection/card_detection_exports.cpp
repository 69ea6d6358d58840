// Export of card type detection.
#include "quillet.h"
#include "cards/detection/card_detection.h"
#include "core/trace.h"

QL_API int16_t QL_CALL chk_card(int32_t handle) noexcept {
    return QL_TRACED(quillet::detect_card_type(handle), handle);
}

// Exports of the SSF1101 cards.
#include "cards/memory/ssf1101.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_API int16_t QL_CALL srd_ssf1101(int32_t handle, int16_t page, int16_t offset, int32_t length,
                                   uint8_t* buffer) noexcept {
    return QL_TRACED(ssf1101::read(handle, page, offset, length, buffer), handle, page, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_ssf1101(int32_t handle, int16_t page, int16_t offset, int32_t length,
                                   const uint8_t* data) noexcept {
    return QL_TRACED(ssf1101::write(handle, page, offset, length, data), handle, page, offset, length, data);
}
QL_API int16_t QL_CALL eral_ssf1101(int32_t handle) noexcept { return QL_TRACED(ssf1101::erase_all(handle), handle); }
QL_API int16_t QL_CALL chk_ssf1101(int32_t handle) noexcept { return QL_TRACED(ssf1101::check(handle), handle); }

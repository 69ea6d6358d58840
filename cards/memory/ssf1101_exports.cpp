// Exports of the SSF1101 cards.
#include "cards/memory/memory_exports.h"
#include "cards/memory/ssf1101.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_ADDRESSED_MEMORY_EXPORTS(ssf1101, ssf1101, page, offset, int32_t)
QL_API int16_t QL_CALL eral_ssf1101(int32_t handle) noexcept { return QL_TRACED(ssf1101::erase_all(handle), handle); }
QL_API int16_t QL_CALL chk_ssf1101(int32_t handle) noexcept { return QL_TRACED(ssf1101::check(handle), handle); }

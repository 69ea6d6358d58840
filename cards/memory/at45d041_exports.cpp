// Exports of the AT45D041 flash cards and the parallel opener Init_45.
#include "cards/memory/at45d041.h"
#include "cards/memory/memory_exports.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_ADDRESSED_MEMORY_EXPORTS(45d041, at45d041, page, offset, int32_t)
QL_API int16_t QL_CALL Write_45(int32_t handle, int16_t page, int16_t offset, int32_t length,
                                const uint8_t* data) noexcept {
    return QL_TRACED(at45d041::write_pages(handle, page, offset, length, data), handle, page, offset, length, data);
}
QL_API int16_t QL_CALL Read_45(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at45d041::read_twice(handle, page, offset, length, buffer), handle, page, offset, length, buffer);
}
QL_API int16_t QL_CALL rdstrg_45d041(int32_t handle, uint8_t* status) noexcept {
    return QL_TRACED(at45d041::read_flash_status(handle, status), handle, status);
}
QL_API int16_t QL_CALL chk_45d041(int32_t handle) noexcept { return QL_TRACED(at45d041::check(handle), handle); }
QL_API int32_t QL_CALL Init_45(int16_t address) noexcept { return at45d041::open_parallel(address); }

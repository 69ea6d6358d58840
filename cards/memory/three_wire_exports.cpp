// Exports of the three-wire EEPROM cards 93C46A .. 93C66: one implementation, one table row per size.
#include "cards/memory/three_wire.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using three_wire::Size;

QL_API int16_t QL_CALL srd_93c46a(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(three_wire::read(handle, Size::c46a, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_93c46a(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(three_wire::write(handle, Size::c46a, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL eral_93c46a(int32_t handle) noexcept {
    return QL_TRACED(three_wire::erase_all(handle, Size::c46a), handle);
}
QL_API int16_t QL_CALL chk_93c46a(int32_t handle) noexcept {
    return QL_TRACED(three_wire::check(handle, Size::c46a), handle);
}

QL_API int16_t QL_CALL srd_93c46(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(three_wire::read(handle, Size::c46, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_93c46(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(three_wire::write(handle, Size::c46, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL eral_93c46(int32_t handle) noexcept {
    return QL_TRACED(three_wire::erase_all(handle, Size::c46), handle);
}
QL_API int16_t QL_CALL chk_93c46(int32_t handle) noexcept {
    return QL_TRACED(three_wire::check(handle, Size::c46), handle);
}

QL_API int16_t QL_CALL srd_93c57(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(three_wire::read(handle, Size::c57, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_93c57(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(three_wire::write(handle, Size::c57, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL eral_93c57(int32_t handle) noexcept {
    return QL_TRACED(three_wire::erase_all(handle, Size::c57), handle);
}
QL_API int16_t QL_CALL chk_93c57(int32_t handle) noexcept {
    return QL_TRACED(three_wire::check(handle, Size::c57), handle);
}

QL_API int16_t QL_CALL srd_93c66(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(three_wire::read(handle, Size::c66, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_93c66(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(three_wire::write(handle, Size::c66, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL eral_93c66(int32_t handle) noexcept {
    return QL_TRACED(three_wire::erase_all(handle, Size::c66), handle);
}
QL_API int16_t QL_CALL chk_93c66(int32_t handle) noexcept {
    return QL_TRACED(three_wire::check(handle, Size::c66), handle);
}

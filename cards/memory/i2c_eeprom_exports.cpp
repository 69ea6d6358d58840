// Exports of the I2C EEPROM cards 24C01A .. 24C64: one implementation, one table row per size.
#include "cards/memory/i2c_eeprom.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using i2c_eeprom::Size;

QL_API int16_t QL_CALL srd_24c01a(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c01a, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c01a(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c01a, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c01a(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c01a), handle);
}

QL_API int16_t QL_CALL srd_24c02(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c02, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c02(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c02, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c02(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c02), handle);
}

QL_API int16_t QL_CALL srd_24c04(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c04, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c04(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c04, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c04(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c04), handle);
}

QL_API int16_t QL_CALL srd_24c08(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c08, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c08(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c08, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c08(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c08), handle);
}

QL_API int16_t QL_CALL srd_24c16(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c16, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c16(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c16, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c16(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c16), handle);
}

QL_API int16_t QL_CALL srd_24c32(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c32, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c32(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c32, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c32(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c32), handle);
}

QL_API int16_t QL_CALL srd_24c64(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(i2c_eeprom::read(handle, Size::c64, offset, length, buffer), handle, offset, length, buffer);
}
QL_API int16_t QL_CALL swr_24c64(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(i2c_eeprom::write(handle, Size::c64, offset, length, data), handle, offset, length, data);
}
QL_API int16_t QL_CALL chk_24c64(int32_t handle) noexcept {
    return QL_TRACED(i2c_eeprom::check(handle, Size::c64), handle);
}

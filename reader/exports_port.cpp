// Exports of port opening, identification and the reader's own services.
#include <cstring>

#include "quillet.h"
#include "reader/opening.h"
#include "reader/reader_commands.h"
#include "reader/services.h"
#include "core/trace.h"

using namespace quillet;

QL_API int32_t QL_CALL ic_init(int16_t port, int32_t baud) noexcept {
    return QL_TRACED(open_reader(port, baud), port, baud);
}
QL_API int32_t QL_CALL auto_init(int16_t port, int32_t baud) noexcept {
    return QL_TRACED(open_reader_at_rate(port, baud), port, baud);
}
QL_API int32_t QL_CALL chk_baud(int16_t port) noexcept { return QL_TRACED(find_reader_rate(port), port); }
QL_API int16_t QL_CALL ic_exit(int32_t handle) noexcept { return QL_TRACED(close_reader(handle), handle); }
QL_API int16_t QL_CALL auto_chk(int32_t) noexcept { return 0; }

QL_API int16_t QL_CALL srd_ver(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(read_version(handle, length, buffer), handle, length, buffer);
}

QL_API int16_t QL_CALL lib_ver(uint8_t* buffer) noexcept {
    std::memcpy(buffer, library_version, sizeof library_version);
    return 0;
}

QL_API int16_t QL_CALL set_baud(int32_t handle, int32_t value) noexcept {
    return QL_TRACED(switch_reader_link(handle, value), handle, value);
}

QL_API int16_t QL_CALL dv_beep(int32_t handle, int16_t units) noexcept {
    return QL_TRACED(beep(handle, units), handle, units);
}
QL_API int16_t QL_CALL turn_on(int32_t handle) noexcept {
    return QL_TRACED(simple_service(handle, reader_command::contacts_on), handle);
}
QL_API int16_t QL_CALL turn_off(int32_t handle) noexcept {
    return QL_TRACED(simple_service(handle, reader_command::contacts_off), handle);
}
QL_API int16_t QL_CALL auto_pull(int32_t handle) noexcept {
    return QL_TRACED(simple_service(handle, reader_command::auto_pull), handle);
}
QL_API int16_t QL_CALL get_status0(int32_t handle, int16_t* state) noexcept {
    return QL_TRACED(card_status(handle, 1, state), handle, state);
}
QL_API int16_t QL_CALL get_status(int32_t handle, int16_t* state) noexcept {
    return QL_TRACED(card_status(handle, 3, state), handle, state);
}

QL_API int16_t QL_CALL get_status_DPEx(int32_t handle, int16_t position, int16_t* state) noexcept {
    return QL_TRACED(card_status_at(handle, position, state), handle, position, state);
}

QL_API int16_t QL_CALL srd_eeprom(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(user_area_read(handle, offset, length, buffer), handle, offset, length, buffer);
}

QL_API int16_t QL_CALL swr_eeprom(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(user_area_write(handle, offset, length, data), handle, offset, length, data);
}

QL_API int16_t QL_CALL srd_snr(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(field_read(handle, reader_address::serial_number, 16, length, buffer), handle, length, buffer);
}

QL_API int16_t QL_CALL swr_snr(int32_t handle, int16_t length, const uint8_t* data) noexcept {
    return QL_TRACED(field_write(handle, reader_address::serial_number, 16, length, data), handle, length, data);
}

QL_API int16_t QL_CALL srd_dvsc(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(field_read(handle, reader_address::device_code, 3, length, buffer), handle, length, buffer);
}

QL_API int16_t QL_CALL swr_dvsc(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(field_write(handle, reader_address::device_code, 3, length, code_bytes), handle, length,
                     code_bytes);
}

QL_API int16_t QL_CALL cmp_dvsc(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept {
    return QL_TRACED(field_compare(handle, reader_address::device_code, 3, length, code_bytes), handle, length,
                     code_bytes);
}

QL_API int16_t QL_CALL setsc_md(int32_t handle, int16_t mode) noexcept {
    return QL_TRACED(set_mode(handle, mode), handle, mode);
}
QL_API int16_t QL_CALL val_read(int32_t handle, int32_t* value) noexcept {
    return QL_TRACED(value_read(handle, value), handle, value);
}
QL_API int16_t QL_CALL val_set(int32_t handle, int32_t value) noexcept {
    return QL_TRACED(value_set(handle, value), handle, value);
}
QL_API int16_t QL_CALL val_inc(int32_t handle, int32_t amount) noexcept {
    return QL_TRACED(value_add(handle, amount), handle, amount);
}
QL_API int16_t QL_CALL val_dec(int32_t handle, int32_t amount) noexcept {
    return QL_TRACED(value_subtract(handle, amount), handle, amount);
}

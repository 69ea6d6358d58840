// The reader's own services: buzzer, contacts, card-present status, its user area, serial
// number, device code, mode byte and stored value.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet {

Status beep(int32_t handle, int16_t units);
Status card_status(int32_t handle, int attempts, int16_t* state);
Status card_status_at(int32_t handle, int16_t position, int16_t* state);
Status user_area_read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
Status user_area_write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
// Reads, writes (verified) or compares one of the fixed-size reader fields.
Status field_read(int32_t handle, uint16_t address, int16_t expected, int16_t length, uint8_t* buffer);
Status field_write(int32_t handle, uint16_t address, int16_t expected, int16_t length, const uint8_t* data);
Status field_compare(int32_t handle, uint16_t address, int16_t expected, int16_t length, const uint8_t* data);
Status set_mode(int32_t handle, int16_t mode);
Status value_read(int32_t handle, int32_t* value);
Status value_set(int32_t handle, int32_t value);
Status value_add(int32_t handle, int32_t amount);        // val_inc: wraps on overflow
Status value_subtract(int32_t handle, int32_t amount);   // val_dec: refuses a negative result

}  // namespace quillet

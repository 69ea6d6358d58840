// The SAM slots: power, selection, reset and T=1 block exchange. They reuse the main slot's frames
// and block exchange and differ in the slot byte (0x21 for the SAM last selected, or 0x20 + slot
// number), in how the answer to reset is returned (its length apart, one attempt), and in the
// first block frame's check byte, which covers the whole frame.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet::sam {

Status power_on(int32_t handle);
Status power_down(int32_t handle);
Status select(int32_t handle, uint8_t sam_number);

// Both resets write 0 to length before anything else, even when the slot number is refused.
Status reset(int32_t handle, int16_t* length, uint8_t* answer);
Status slot_reset(int32_t handle, int16_t slot_number, int16_t* length, uint8_t* answer);

Status protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response);
// On success also stores response byte 2 (the total INF length) in response_length.
Status slot_protocol(int32_t handle, int16_t slot_number, int16_t length, const uint8_t* block,
                     int16_t* response_length, uint8_t* response);
Status comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response);

}  // namespace quillet::sam

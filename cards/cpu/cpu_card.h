// The main processor-card slot: reset, T=1 block exchange (with the 6Cxx and 61xx follow-ups, or
// raw) and the card speed of any slot. The card's state (power, protocol sequence numbers) lives
// in the reader and the card; the library keeps none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cards/cpu/t1_exchange.h"

namespace quillet::cpu {

// The largest answer to reset: TS and at most 32 further characters.
inline constexpr size_t answer_max = 33;

// Resets the card in the slot with the given retries and copies its answer to reset (the reply
// data); count receives its length. response_too_long, nothing written, for an answer longer than
// answer_max.
Status reset_slot(int32_t handle, uint8_t slot, int retries, uint8_t* answer, size_t& count);

Status reset(int32_t handle, uint8_t* answer);
Status protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response);
Status comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response);
Status set_card_speed(int32_t handle, int16_t slot_number, uint8_t value);

}  // namespace quillet::cpu

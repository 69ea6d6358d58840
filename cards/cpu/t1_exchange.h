// The T=1 block exchange of the main slot and the SAM slots. The reader carries the caller's block
// to the card and the card's block back; the library answers two status words of the card itself,
// so that the caller receives the whole response in one call:
//   SW1 = 6C (wrong length): the block sent last goes again with Le = SW2 and a fresh LRC;
//   SW1 = 61 (more data):    the data before SW1 SW2 is kept and a GET RESPONSE block
//                            (00 C0 00 00 SW2) asks for the rest.
// The PCB of every such follow-up block is derived from the caller's (0x40 when it is 0x00, else
// 0x00), and its NAD is the caller's.
//
// Response: NAD and PCB of the card's last block, the total INF length, then the INF data of all
// blocks, ending with the last SW1 SW2 (no LRC).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cards/cpu/slot_frames.h"
#include "core/checks.h"

namespace quillet::cpu {

// The INF data one response gathers: its length byte holds 255 at most.
inline constexpr size_t inf_max = 255;
inline constexpr size_t response_max = 3 + inf_max;
// Follow-up blocks (resends after 6Cxx and GET RESPONSE blocks) of one call.
inline constexpr int follow_ups_max = 32;

// The block length argument check: block_min..block_max, else bad_length.
Check block_length(int16_t length);

// The exchange with the 6Cxx and 61xx follow-ups: ok, the block length check, the attempts'
// failure, read_failed for a card block too short for the SW1 SW2 it is read for, or
// response_too_long when the INF data would pass inf_max or the card still answers 6Cxx or 61xx
// after follow_ups_max follow-ups (the response then holds the data gathered so far from byte 3).
// first_check: what the check byte of the first frame covers; follow-ups always cover the header.
Status block_exchange(int32_t handle, uint8_t slot, int16_t length, const uint8_t* block, uint8_t* response,
                      BlockCheck first_check);

// One block frame, the card's block copied unchanged (with its LRC, at most card_block_max
// bytes); no status words are interpreted.
Status raw_exchange(int32_t handle, uint8_t slot, int16_t length, const uint8_t* block, uint8_t* response);

}  // namespace quillet::cpu

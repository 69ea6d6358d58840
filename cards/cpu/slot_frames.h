// The frames of the processor-card slots: slot bytes, the reset, block, card speed and SAM
// selection frames, and the attempt counter that every frame of one call draws on.
//
//   reset       AA 20 80 05 S 00 00 00 00 BCC
//   block       AA 21 80 (N+5) S 00 00 00 00 B1 .. BN BCC
//   card speed  AA 22 00 06 S 00 00 00 00 V BCC
//   select SAM  AA 23 00 06 21 00 00 00 00 V BCC
//
// S is the slot byte: 0x20 + slot number, 0x21 also naming the SAM last chosen with select SAM.
// Frame byte 2 of the reset and block frames is 0x80; their length is byte 3 alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "link/exchange.h"

namespace quillet::cpu {

inline constexpr uint8_t main_slot = 0x20;    // slot number 0
inline constexpr uint8_t current_sam = 0x21;  // the SAM last chosen with select SAM
inline constexpr int last_slot_number = 5;

namespace command {
inline constexpr uint8_t reset = 0x20;
inline constexpr uint8_t block = 0x21;
inline constexpr uint8_t card_speed = 0x22;
inline constexpr uint8_t select_sam = 0x23;
}  // namespace command

// A T=1 block as the caller passes it: NAD PCB LEN INF LRC, at least 4 bytes; frame byte 3 holds
// N + 5, so at most 250.
inline constexpr int block_min = 4;
inline constexpr int block_max = 250;
// A card's block in a reply: NAD PCB LEN, up to 255 INF bytes (LEN is one byte), LRC.
inline constexpr size_t card_block_max = 3 + 255 + 1;
// Every processor-card reply fits this buffer; a longer announcement is refused by the reception.
inline constexpr size_t reply_capacity = frame_overhead + card_block_max;

// Retries after the first attempt: cpu_reset tries 4 times, the block exchanges 3 times in all,
// the SAM resets once.
inline constexpr int reset_retries = 3;
inline constexpr int block_retries = 2;
inline constexpr int sam_reset_retries = 0;

// Slot number 0..5 (only the low byte of the argument counts) to its slot byte.
std::optional<uint8_t> slot_byte(int16_t slot_number);

// Which bytes the check byte of a block frame covers.
enum class BlockCheck {
    header,       // the nine header bytes 0..8 (equal to the whole frame's for a block with a right LRC)
    whole_frame,  // every byte before it, block included
};

Frame reset_frame(uint8_t slot);
Frame block_frame(uint8_t slot, std::span<const uint8_t> block, BlockCheck check);
// The frames with one value byte: card speed and select SAM.
Frame value_frame(uint8_t command, uint8_t slot, uint8_t value);

// The attempt counter of one call. A failed send, a failed reply wait and a reader refusal all
// draw on it; success never gives attempts back, so every frame of one call shares the same few.
class Attempts {
public:
    explicit Attempts(int retries) : retries_(retries) {}
    // Sends the frame (again) until a reply with status byte 0 comes; the last failure when the
    // retries are spent.
    Status exchange(int32_t handle, const Frame& frame, Reply& reply);

private:
    int retries_;
    int used_ = 0;
};

}  // namespace quillet::cpu

// AT88SC1604 security memory cards (frames with card type byte 0x73) in three variants: the
// AT88SC1604, AT88SC1604B and AT88SC1604C. About 2 KB in zone 0 (the card's system area with the
// identification bytes and the zone-0 security code) and four application zones, each with its
// security code, erase code and erase counter. The variants differ only in the numbers of their
// rows in at88sc1604_variants.h; every function here serves all three.
//
// Reads, writes, erases and code-area writes travel in frames of at most 144 bytes; the first
// failing frame ends the call and earlier frames stay done. The card enforces its codes, counters,
// flags and fuse itself: its refusals come back as minus the reply status byte. The library keeps
// no state for these cards. Arguments are checked before anything is sent.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet::at88sc1604 {

enum class Variant { at88sc1604, at88sc1604b, at88sc1604c };

// Data operations on zone/offset (zone 0..4, offset within the zone). Reads may run on across the
// later zones; the others stay inside the zone named.
Status read(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer);
Status write(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length, const uint8_t* data);
Status erase(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length);
// The write that stores security and erase codes: it reaches the code blocks the plain write
// stops short of (the erase's bounds). Not exported.
Status write_code_area(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length, const uint8_t* data);

// A zone's security code (zones 0..4) and error counter (zones 0..1, or 0..4 where the variant
// has them). Writing a code erases its 2 bytes, then stores them with the code-area write.
Status present_security_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code);
Status write_security_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code);
Status read_security_code(int32_t handle, Variant v, int16_t zone, int16_t length, uint8_t* buffer);
// *count = the number of 1 bits of the counter byte; untouched on failure.
Status read_error_counter(int32_t handle, Variant v, int16_t zone, int16_t* count);

// A zone's erase code and erase counter (zones 1..4).
Status present_erase_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code);
Status write_erase_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code);
Status read_erase_code(int32_t handle, Variant v, int16_t zone, int16_t length, uint8_t* buffer);
Status read_erase_counter(int32_t handle, Variant v, int16_t zone, int16_t* count);

// Clear bit 7 (protect flag) or bit 6 (read flag) of the first byte of zone 1..4: read first,
// write back only when the bit is still set.
Status clear_protect_flag(int32_t handle, Variant v, int16_t zone);
Status clear_read_flag(int32_t handle, Variant v, int16_t zone);

// The reader's fuse simulation on (flag not 0) or off.
Status set_fuse_simulation(int32_t handle, Variant v, int16_t flag);
// Blows the card's fuse.
Status personalise(int32_t handle, Variant v);
// ok when identification bytes 0..1 name the variant, wrong_card when not, the read's status
// when the read fails.
Status check(int32_t handle, Variant v);

}  // namespace quillet::at88sc1604

// What the security memory card models (SLE4404, SLE4406, SLE4436, AT88SC101, AT88SC102) refuse,
// and the reader status byte each refusal is answered with (the values: memory_refusals.h, shared
// with the SLE memory cards of sle4442_refusals.h).
// The host reports status byte s as -s. A refused frame changes nothing on the card.
//
//   refusal             byte  host   when
//   out_of_range        0x8C  -140   address + count leave the card, an empty count or data, a
//                                    frame too short for its command, a code-area write outside
//                                    the code bytes, an erase code the card does not have, a
//                                    counter step outside the counter bytes (the library's own
//                                    checks never send such a frame)
//   unknown_command     0x8B  -139   a command the card does not have
//   kept                0x96  -150   the bytes take no write or erase in the card's state: the
//                                    identification, the issuer data once issued, the counters the
//                                    card keeps for itself, an application area whose protect flag
//                                    is clear; also a code presented to an issued SLE4406, and a
//                                    counter step on an empty stage or before the card is issued
//   wrong_code          0x97  -151   the security or erase code presented is wrong: one attempt
//                                    used (an erase code with an erase counter: one count used)
//   locked              0x98  -152   the error counter is used up: the code is no longer taken and
//                                    everything that needs it is refused for good; or the erase
//                                    counter is used up: that erase code is no longer taken
//   code_not_presented  0x99  -153   the operation needs the security code (or, on an issued card,
//                                    the area's erase code) presented since power-up
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "emulator/core/card_model.h"
#include "emulator/cards/memory_refusals.h"

namespace vreader::security {

using Refusal = MemoryRefusal;

// An attempt counter in the bits `mask` of one card byte, one 1 bit per attempt left. A wrong code
// clears the lowest of them; the right one sets them all again; with none left no code is taken.
struct AttemptCounter {
    uint8_t mask;

    bool used_up(uint8_t byte) const { return (byte & mask) == 0; }
    uint8_t after(uint8_t byte, bool right) const {
        if (right) return static_cast<uint8_t>(byte | mask);
        const uint8_t left = static_cast<uint8_t>(byte & mask);
        return static_cast<uint8_t>((byte & ~mask) | (left & (left - 1)));
    }
    // A code presented against the stored one (the presented bytes at least as many): the counter
    // byte refills or loses an attempt; true when the code was right.
    bool present(std::span<const uint8_t> presented, std::span<const uint8_t> stored, uint8_t& byte) const {
        const bool right = std::equal(stored.begin(), stored.end(), presented.begin());
        byte = after(byte, right);
        return right;
    }
};

}  // namespace vreader::security

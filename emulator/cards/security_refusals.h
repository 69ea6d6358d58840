// What the security memory card models (SLE4404, SLE4406, SLE4436, AT88SC101, AT88SC102) refuse,
// and the reader status byte each refusal is answered with. This is the one table of those values;
// the bytes are those of the SLE memory cards (sle4442_refusals.h) where the meaning is the same.
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

#include <array>
#include <cstdint>
#include <string_view>

#include "emulator/cards/card_model.h"

namespace vreader::security {

enum class Refusal { out_of_range, unknown_command, kept, wrong_code, locked, code_not_presented };

struct RefusalRow {
    Refusal refusal;
    uint8_t status_byte;
    std::string_view meaning;
};

inline constexpr std::array refusal_table{
    RefusalRow{Refusal::out_of_range, status::bad_parameter, "address, count or frame outside what the card has"},
    RefusalRow{Refusal::unknown_command, status::unknown_command, "the card has no such command"},
    RefusalRow{Refusal::kept, status::card_refused, "the bytes take no write or erase in the card's state"},
    RefusalRow{Refusal::wrong_code, status::code_wrong, "wrong security or erase code; one attempt used"},
    RefusalRow{Refusal::locked, status::card_locked, "no attempts left: the code is no longer taken"},
    RefusalRow{Refusal::code_not_presented, status::code_not_presented,
               "the code the operation needs was not presented"},
};

constexpr uint8_t status_of(Refusal r) {
    for (const auto& row : refusal_table)
        if (row.refusal == r) return row.status_byte;
    return status::card_refused;
}

inline CardReply refuse(Refusal r) { return CardReply::refuse(status_of(r)); }

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
};

}  // namespace vreader::security

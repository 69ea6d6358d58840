// What the AT88SC1604 cards (AT88SC1604, AT88SC1604B, AT88SC1604C) refuse, and the reader status
// byte each refusal is answered with. This is the one table of those values; the bytes are those
// of the other security cards wherever the meaning is the same. The host reports byte s as -s.
//
//   refusal             byte  host   when
//   out_of_range        0x8C  -140   address + count leave the card's 2048 bytes, a count of 0 or
//                                    no data, a frame too short for its command, a code frame
//                                    whose zone byte and address do not name that zone's code, a
//                                    personalise frame naming another address than the variant's
//   wrong_variant       0x8C  -140   the frame's variant byte (frame byte 5) is not the one this
//                                    variant expects for the command; a read with a foreign
//                                    variant byte is not refused but answered with FF bytes, as a
//                                    chip answers a protocol it does not speak
//   unknown_command     0x8B  -139   a command byte the card does not have
//   kept                0x96  -150   a write or erase of bytes the card keeps: the identification
//                                    bytes always; once personalised also zone 0 bytes 2..9, the
//                                    error and erase counters, the bytes outside every zone, and
//                                    writes to a zone whose protect flag is 0
//   wrong_code          0x97  -151   the security or erase code presented is wrong; where the zone
//                                    has a counter, one of its bits is gone
//   locked              0x98  -152   the counter that guards the code is used up: the code is no
//                                    longer taken, and the zone takes no more writes
//   code_not_presented  0x99  -153   a write, erase, personalisation or guarded read before the
//                                    code it needs was presented since power-up
//
// Nothing is changed by a refused command.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "emulator/cards/card_model.h"

namespace vreader::at88sc1604 {

enum class Refusal { out_of_range, wrong_variant, unknown_command, kept, wrong_code, locked, code_not_presented };

struct RefusalRow {
    Refusal refusal;
    uint8_t status_byte;
    std::string_view meaning;
};

inline constexpr std::array refusal_table{
    RefusalRow{Refusal::out_of_range, status::bad_parameter, "address, count, zone or frame length out of range"},
    RefusalRow{Refusal::wrong_variant, status::bad_parameter, "the variant byte is not this card's"},
    RefusalRow{Refusal::unknown_command, status::unknown_command, "the card has no such command"},
    RefusalRow{Refusal::kept, status::card_refused, "bytes the card keeps, or a write-protected zone"},
    RefusalRow{Refusal::wrong_code, status::code_wrong, "wrong security or erase code; one attempt used"},
    RefusalRow{Refusal::locked, status::card_locked, "the counter guarding the code is used up"},
    RefusalRow{Refusal::code_not_presented, status::code_not_presented, "the code needed has not been presented"},
};

constexpr uint8_t status_of(Refusal r) {
    for (const auto& row : refusal_table)
        if (row.refusal == r) return row.status_byte;
    return status::card_refused;
}

inline CardReply refuse(Refusal r) { return CardReply::refuse(status_of(r)); }

}  // namespace vreader::at88sc1604

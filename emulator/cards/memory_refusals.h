// What the memory card models with a code (the SLE and security memory cards, the AT88SC1604
// family) refuse, and the reader status byte each refusal is answered with: the one table of
// those values. The host reports status byte s as -s; a refused frame changes nothing on the
// card. When each family refuses what: sle4442_refusals.h, security_refusals.h,
// at88sc1604_refusals.h.
#pragma once

#include <cstdint>

#include "emulator/core/card_model.h"

namespace vreader {

enum class MemoryRefusal { out_of_range, wrong_variant, unknown_command, kept, wrong_code, locked, code_not_presented };

constexpr uint8_t status_of(MemoryRefusal r) {
    switch (r) {
        case MemoryRefusal::out_of_range:  // address, count, zone or frame outside what the card has
        case MemoryRefusal::wrong_variant: return status::bad_parameter;  // not this variant's byte
        case MemoryRefusal::unknown_command: return status::unknown_command;
        case MemoryRefusal::kept: return status::card_refused;  // bytes that take no write or erase now
        case MemoryRefusal::wrong_code: return status::code_wrong;  // one attempt used
        case MemoryRefusal::locked: return status::card_locked;  // no attempts left
        case MemoryRefusal::code_not_presented: return status::code_not_presented;
    }
    return status::card_refused;
}

inline CardReply refuse(MemoryRefusal r) { return CardReply::refuse(status_of(r)); }

}  // namespace vreader

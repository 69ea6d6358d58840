// What the SLE memory card models (SLE4442, 2042, SLE4432, SLE4428, SLE4418) refuse, and the
// reader status byte each refusal is answered with (the values: memory_refusals.h); the host
// reports status byte s as -s.
//
//   refusal             byte  host   when
//   out_of_range        0x8C  -140   address + count leave the area, an empty count or data, a
//                                    frame too short for its command (the library's own checks
//                                    never send such a frame)
//   unknown_command     0x8B  -139   a command the card does not have (code commands on the
//                                    SLE4432 and SLE4418)
//   kept                0x96  -150   a write touches a protected byte, or a byte the card keeps
//                                    for itself (the SLE4428's error counter; its code bytes
//                                    through protected writes and protection); nothing is written
//   wrong_code          0x97  -151   the code presented is wrong: one bit of the error counter is
//                                    gone, and the card is not (or no longer) unlocked
//   locked              0x98  -152   the error counter is used up: codes are no longer taken, and
//                                    writes, protection and code changes are refused for good
//   code_not_presented  0x99  -153   a write, protection or code change before the right code was
//                                    presented since power-up
//
// The first five are the reader's general card answers (emulator/core/reader_status.h); 0x99 is
// the memory cards' own.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/core/card_model.h"
#include "emulator/cards/memory_refusals.h"

namespace vreader::sle {

using Refusal = MemoryRefusal;

// The security logic both families share. The error counter holds one 1 bit per attempt left
// (full: 0x07 on the SLE4442, 0xFF on the SLE4428). A wrong code clears the lowest 1 bit and
// leaves the card locked for writes; the right code refills the counter and unlocks the card
// until power is lost; an exhausted counter takes no code at all.
class CodeGuard {
public:
    explicit CodeGuard(uint8_t full) : full_(full) {}

    // counter: the card's stored counter byte (changed in place); match: the code presented is right.
    std::optional<Refusal> present(uint8_t& counter, bool match) {
        if (counter == 0) return Refusal::locked;
        unlocked_ = match;
        counter = match ? full_ : static_cast<uint8_t>(counter & (counter - 1));
        return match ? std::nullopt : std::optional<Refusal>(Refusal::wrong_code);
    }
    // Why a write, protection or code change is refused now, if it is.
    std::optional<Refusal> write_refusal(uint8_t counter) const {
        if (counter == 0) return Refusal::locked;
        if (!unlocked_) return Refusal::code_not_presented;
        return std::nullopt;
    }
    bool unlocked() const { return unlocked_; }
    void forget() { unlocked_ = false; }

private:
    uint8_t full_;
    bool unlocked_ = false;
};

}  // namespace vreader::sle

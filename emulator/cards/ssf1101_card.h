// SSF1101 cards: 512 pages of 1024 bytes, card type byte 0x6F.
// Commands (page in frame bytes 5..6, offset in 7..8, count in 9..10):
//   0x61 read      1..1024 bytes within the page
//   0x60 announce  a write of count bytes (0..1024, offset up to 1024, within the page); the card
//                  then awaits the data frame 66 data[count] BCC, which programs them. A data
//                  frame without an accepted announce just before it is refused (unknown_command);
//                  any other frame cancels the announce.
//   0x77 card status: one byte, 0x0F unless set otherwise
//   0x78 erase all: every byte 0xFF
// Out-of-range fields get bad_parameter, other commands unknown_command. Settings, contents file
// and the busy answer 0x94: emulator/cards/paged_flash.h.
#pragma once

#include <optional>

#include "emulator/cards/paged_flash.h"

namespace vreader {

inline constexpr FlashKind ssf1101_kind{"ssf1101", 0x6F, 512, 1024, 0x0F};

class Ssf1101Card final : public PagedFlash {
public:
    static constexpr uint8_t data_lead = 0x66;

    Ssf1101Card() : PagedFlash(ssf1101_kind) {}

    CardReply handle(const CardCommand& command) override;
    std::optional<RawFrameSpec> awaited_raw_frame() const override;
    CardReply handle_raw_frame(std::span<const uint8_t> frame) override;
    // Power loss forgets an announce.
    void power_off() override { announced_.reset(); }

private:
    struct Announce {
        size_t page;
        size_t offset;
        size_t count;
    };
    std::optional<Announce> announced_;
};

}  // namespace vreader

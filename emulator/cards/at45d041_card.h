// Cards with an AT45D041 serial flash: 2048 pages of 264 bytes, card type byte 0x6E.
// Commands (page in frame bytes 5..6, offset in 7..8):
//   0x61 read   count in bytes 9..10, 1..264, within the page
//   0x60 write  data from byte 9, 1..264 bytes within the page: the reader programs the page with
//               them, the rest of the page keeps its bytes
//   0x77 flash status: one byte, 0x9C (ready, 4-megabit part) unless set otherwise
// Out-of-range fields get bad_parameter, other commands unknown_command. Settings, contents file
// and the busy answer 0x94: emulator/cards/paged_flash.h. The status setting shows "no card" with
// 0x00 or 0xFF.
#pragma once

#include "emulator/cards/paged_flash.h"

namespace vreader {

class At45d041Card final : public PagedFlash {
public:
    static constexpr size_t pages = 2048;
    static constexpr size_t page_size = 264;
    static constexpr uint8_t ready_status = 0x9C;

    At45d041Card() : PagedFlash(pages, page_size, ready_status) {}

    std::string_view family() const override { return "at45d041"; }
    bool accepts(uint8_t card_type) const override { return card_type == 0x6E; }
    CardReply handle(const CardCommand& command) override;
};

}  // namespace vreader

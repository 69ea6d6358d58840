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

inline constexpr FlashKind at45d041_kind{"at45d041", 0x6E, 2048, 264, 0x9C};  // ready, 4-megabit part

class At45d041Card final : public PagedFlash {
public:
    At45d041Card() : PagedFlash(at45d041_kind) {}

    CardReply handle(const CardCommand& command) override;
};

}  // namespace vreader

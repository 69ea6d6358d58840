// A card without a working chip (a blank plastic card, or one inserted the wrong way round): it
// belongs to no family, so every frame gets the foreign reaction, and it never answers a reset.
// Card checks all refuse it; the card-present query still reports it.
#pragma once

#include "emulator/core/card_model.h"

namespace vreader {

class BlankCard final : public CardModel {
public:
    std::string_view family() const override { return "blank"; }
    bool accepts(uint8_t) const override { return false; }
    CardReply handle(const CardCommand& command) override { return handle_foreign(command); }
    Bytes contents() const override { return {}; }
    bool load_contents(std::span<const uint8_t> image) override { return image.empty(); }
};

}  // namespace vreader

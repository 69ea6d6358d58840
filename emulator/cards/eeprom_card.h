// What every EEPROM card model shares: a family name, cells that are the whole card, and a
// contents file that is those cells, up to the chip's size (a shorter file fills them from byte 0).
#pragma once

#include <cstddef>
#include <string_view>

#include "emulator/core/card_model.h"
#include "emulator/cards/i2c_eeprom_cells.h"

namespace vreader {

class EepromCard : public CardModel {
public:
    EepromCard(std::string_view family, size_t cells, size_t cell_bytes)
        : cells_(cells, cell_bytes), family_(family) {}

    std::string_view family() const override { return family_; }
    Bytes contents() const override { return cells_.image(); }
    bool load_contents(std::span<const uint8_t> image) override { return cells_.load(image); }
    bool takes_shorter_image() const override { return true; }

protected:
    EepromCells cells_;

private:
    std::string_view family_;
};

}  // namespace vreader

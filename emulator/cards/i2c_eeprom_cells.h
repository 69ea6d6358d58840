// The memory of a serial EEPROM chip (two-wire or three-wire) as the card models hold it: a run
// of cells of one or two bytes whose address lines wrap, so that an address past the end lands
// on the cell at address modulo the cell count, as it does on the real chips.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "emulator/core/bytes.h"

namespace vreader {

class EepromCells {
public:
    EepromCells(size_t cells, size_t cell_bytes) : bytes_(cells * cell_bytes, 0xFF), cell_bytes_(cell_bytes) {}

    size_t cells() const { return bytes_.size() / cell_bytes_; }
    size_t cell_bytes() const { return cell_bytes_; }

    // count cells from address on, wrapping past the last cell.
    Bytes read(size_t address, size_t count) const;
    // Whole cells from address on, wrapping; data.size() is a multiple of cell_bytes().
    void write(size_t address, std::span<const uint8_t> data);
    void erase() { std::fill(bytes_.begin(), bytes_.end(), uint8_t{0xFF}); }

    const Bytes& image() const { return bytes_; }
    // An image of at most the chip's size fills it from the first byte; the rest stays as it is.
    bool load(std::span<const uint8_t> image);

private:
    Bytes bytes_;
    size_t cell_bytes_;
};

}  // namespace vreader

#include "emulator/cards/i2c_eeprom_cells.h"

#include <algorithm>

namespace vreader {

Bytes EepromCells::read(size_t address, size_t count) const {
    Bytes out;
    out.reserve(count * cell_bytes_);
    for (size_t i = 0; i < count; ++i) {
        const size_t first = (address + i) % cells() * cell_bytes_;
        out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(first),
                   bytes_.begin() + static_cast<std::ptrdiff_t>(first + cell_bytes_));
    }
    return out;
}

void EepromCells::write(size_t address, std::span<const uint8_t> data) {
    for (size_t i = 0; i + cell_bytes_ <= data.size(); i += cell_bytes_) {
        const size_t first = (address + i / cell_bytes_) % cells() * cell_bytes_;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(i), cell_bytes_,
                    bytes_.begin() + static_cast<std::ptrdiff_t>(first));
    }
}

bool EepromCells::load(std::span<const uint8_t> image) {
    if (image.size() > bytes_.size()) return false;
    std::copy(image.begin(), image.end(), bytes_.begin());
    return true;
}

}  // namespace vreader

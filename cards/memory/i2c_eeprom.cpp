#include "cards/memory/i2c_eeprom.h"

#include <array>
#include <optional>

#include "cards/memory/eeprom_cells.h"

namespace quillet::i2c_eeprom {

namespace {

using eeprom_cells::Layout;
using eeprom_cells::WrapProbe;

constexpr uint8_t write_command = 0x62;

// A size and the test that tells it from the smaller sizes. A card is of a size when its own test
// passes and the next larger size's test fails.
struct Row {
    Layout layout;
    std::optional<WrapProbe> probe;  // none: the single-cell test at `single_cell`
    int single_cell;
    // A cell that the next size's probe disturbs on a card of this size, saved before that probe
    // and written back after it: the 24C16 takes the first of the two address bytes of a 24C32
    // frame for its own address, so 4095 and 3840 (0x0F..) both land on byte 15.
    std::optional<int> guarded_cell;
};

constexpr Layout layout(uint8_t card_type, int capacity, Status write_past_end = Status::bad_length) {
    return {card_type, capacity, 1, capacity <= 256 ? 1 : 2, write_command, Status::bad_length, write_past_end};
}

// The 24C04 and the 24C08 share card type 0x62; only the range checks tell them apart.
constexpr std::array rows{
    Row{layout(0x60, 128), std::nullopt, 127, std::nullopt},
    Row{layout(0x61, 256), WrapProbe{255, 127, std::nullopt}, 0, std::nullopt},
    Row{layout(0x62, 512, Status::bad_address), WrapProbe{511, 255, std::nullopt}, 0, std::nullopt},
    Row{layout(0x62, 1024), WrapProbe{1023, 511, std::nullopt}, 0, std::nullopt},
    Row{layout(0x64, 2048), WrapProbe{2047, 1023, std::nullopt}, 0, 15},
    Row{layout(0x65, 4096), WrapProbe{4095, 3840, std::nullopt}, 0, std::nullopt},
    Row{layout(0x66, 8192), WrapProbe{8191, 4095, 7936}, 0, std::nullopt},
};

const Row& row_of(Size size) { return rows[static_cast<size_t>(size)]; }

// The size's own test; with `guarded` set, the guarded cell is read into it between the probe's
// reads and its writes.
bool own_test(int32_t handle, const Row& row, uint8_t* guarded) {
    if (!row.probe) return eeprom_cells::holds_writes(handle, row.layout, row.single_cell);
    const auto start = eeprom_cells::start_probe(handle, row.layout, *row.probe);
    if (!start) return false;
    if (guarded && failed(eeprom_cells::read(handle, row.layout, *row.guarded_cell, 1, guarded))) return false;
    return eeprom_cells::finish_probe(handle, row.layout, *row.probe, *start);
}

}  // namespace

Status read(int32_t handle, Size size, int16_t offset, int16_t length, uint8_t* buffer) {
    return eeprom_cells::read(handle, row_of(size).layout, offset, length, buffer);
}

Status write(int32_t handle, Size size, int16_t offset, int16_t length, const uint8_t* data) {
    return eeprom_cells::write(handle, row_of(size).layout, offset, length, data);
}

Status check(int32_t handle, Size size) {
    const auto index = static_cast<size_t>(size);
    const Row& row = rows[index];
    uint8_t guarded = 0;
    if (!own_test(handle, row, row.guarded_cell ? &guarded : nullptr)) return Status::wrong_card;
    if (index + 1 == rows.size()) return Status::ok;
    const bool larger = own_test(handle, rows[index + 1], nullptr);
    if (row.guarded_cell && failed(eeprom_cells::write(handle, row.layout, *row.guarded_cell, 1, &guarded)))
        return Status::wrong_card;
    return larger ? Status::wrong_card : Status::ok;
}

}  // namespace quillet::i2c_eeprom

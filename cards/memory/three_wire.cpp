#include "cards/memory/three_wire.h"

#include <array>
#include <optional>

#include "cards/memory/eeprom_cells.h"
#include "link/exchange.h"

namespace quillet::three_wire {

namespace {

using eeprom_cells::Layout;
using eeprom_cells::WrapProbe;

constexpr uint8_t erase_all_command = 0x78;

// A size and its test. The wrap test writes one more than the top byte at the top address (once
// more when the low byte already holds that value) and requires it to read back there and not at
// the low address: judged by the low address alone, a card whose low byte happened to hold the
// value would pass for a smaller one, and a card that keeps no writes for a larger one. The
// smaller sizes also require the next larger size's test to fail.
struct Row {
    Layout layout;
    std::optional<WrapProbe> probe;  // none: the single-cell test at `single_cell`
    int single_cell;
    bool larger_must_fail;
};

constexpr Row single_cell_test(Layout layout, int cell, bool larger_must_fail) {
    return {layout, std::nullopt, cell, larger_must_fail};
}

constexpr Row wrap_test(Layout layout, int high, int low, bool larger_must_fail) {
    return {layout, WrapProbe{high, low, std::nullopt, true}, 0, larger_must_fail};
}

constexpr Status past_end = Status::bad_length;

constexpr std::array rows{
    single_cell_test({0x68, 64, 2, 1, 0x60, past_end, past_end}, 63, false),
    single_cell_test({0x69, 128, 1, 1, 0x60, past_end, past_end}, 127, true),
    wrap_test({0x6A, 256, 1, 1, 0x60, Status::bad_address, past_end}, 255, 127, true),
    wrap_test({0x6B, 512, 1, 2, 0x62, past_end, past_end}, 511, 255, false),
};

const Row& row_of(Size size) { return rows[static_cast<size_t>(size)]; }

bool own_test(int32_t handle, const Row& row) {
    if (!row.probe) return eeprom_cells::holds_writes(handle, row.layout, row.single_cell);
    return eeprom_cells::cells_distinct(handle, row.layout, *row.probe);
}

}  // namespace

Status read(int32_t handle, Size size, int16_t offset, int16_t length, uint8_t* buffer) {
    return eeprom_cells::read(handle, row_of(size).layout, offset, length, buffer);
}

Status write(int32_t handle, Size size, int16_t offset, int16_t length, const uint8_t* data) {
    return eeprom_cells::write(handle, row_of(size).layout, offset, length, data);
}

Status erase_all(int32_t handle, Size size) {
    Frame f(erase_all_command);
    f.type(row_of(size).layout.card_type).zero(4);
    Reply reply;
    return exchange(handle, f, Wait::normal, reply);
}

Status check(int32_t handle, Size size) {
    const auto index = static_cast<size_t>(size);
    const Row& row = rows[index];
    if (!own_test(handle, row)) return Status::wrong_card;
    if (row.larger_must_fail && own_test(handle, rows[index + 1])) return Status::wrong_card;
    return Status::ok;
}

}  // namespace quillet::three_wire

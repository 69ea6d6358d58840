#include "cards/memory/eeprom_cells.h"

#include <array>

#include "core/checks.h"
#include "core/chunks.h"
#include "link/exchange.h"

namespace quillet::eeprom_cells {

namespace {

using Unit = std::array<uint8_t, max_unit_bytes>;

Frame addressed(uint8_t command, const Layout& layout, int address) {
    Frame f(command);
    f.type(layout.card_type).zero(2);
    if (layout.address_bytes == 1)
        f.byte(0).byte(static_cast<uint8_t>(address));
    else
        f.be16(static_cast<uint16_t>(address));
    return f;
}

Status range_checks(const Layout& layout, int offset, int length, Status past_end) {
    return first_failure({
        {offset >= 0 && offset < layout.capacity, Status::bad_address},
        {length >= 1, Status::bad_length},
        {[&] { return length <= layout.capacity - offset; }, past_end},
    });
}

// One frame's worth: count units at address into out (count x unit bytes).
Status read_chunk(int32_t handle, const Layout& layout, int address, int count, uint8_t* out) {
    Frame f = addressed(read_command, layout, address);
    f.byte(0).byte(static_cast<uint8_t>(count));
    return read_data(handle, f, Wait::normal, out, static_cast<size_t>(count * layout.unit_bytes));
}

Status write_chunk(int32_t handle, const Layout& layout, int address, int count, const uint8_t* data) {
    Frame f = addressed(layout.write_command, layout, address);
    f.data(data, static_cast<size_t>(count * layout.unit_bytes));
    Reply reply;
    return exchange(handle, f, Wait::normal, reply);
}

bool read_byte(int32_t handle, const Layout& layout, int address, uint8_t& value) {
    return !failed(read(handle, layout, address, 1, &value));
}

bool write_byte(int32_t handle, const Layout& layout, int address, uint8_t value) {
    return !failed(write(handle, layout, address, 1, &value));
}

}  // namespace

Status read(int32_t handle, const Layout& layout, int offset, int length, uint8_t* buffer) {
    QL_TRY(range_checks(layout, offset, length, layout.read_past_end));
    return for_each_chunk(offset, length, chunk_units, [&](int address, int count, int position) {
        return read_chunk(handle, layout, address, count, buffer + position * layout.unit_bytes);
    });
}

Status write(int32_t handle, const Layout& layout, int offset, int length, const uint8_t* data) {
    QL_TRY(range_checks(layout, offset, length, layout.write_past_end));
    return for_each_chunk(offset, length, chunk_units, [&](int address, int count, int position) {
        return write_chunk(handle, layout, address, count, data + position * layout.unit_bytes);
    });
}

bool holds_writes(int32_t handle, const Layout& layout, int address) {
    Unit saved{};
    if (failed(read(handle, layout, address, 1, saved.data()))) return false;
    Unit changed = saved;
    for (uint8_t& b : changed) b = static_cast<uint8_t>(b + 1);
    Unit back{};
    const bool held = !failed(write(handle, layout, address, 1, changed.data())) &&
                      !failed(read(handle, layout, address, 1, back.data())) && back[0] == changed[0];
    const bool restored = !failed(write(handle, layout, address, 1, saved.data()));
    return held && restored;
}

std::optional<ProbeStart> start_probe(int32_t handle, const Layout& layout, const WrapProbe& probe) {
    ProbeStart start{};
    if (!read_byte(handle, layout, probe.high, start.saved) || !read_byte(handle, layout, probe.low, start.low_value))
        return std::nullopt;
    if (probe.second_low && !read_byte(handle, layout, *probe.second_low, start.second_low_value)) return std::nullopt;
    return start;
}

bool finish_probe(int32_t handle, const Layout& layout, const WrapProbe& probe, const ProbeStart& start) {
    const auto held_low = [&](uint8_t v) {
        return v == start.low_value || (probe.second_low && v == start.second_low_value);
    };
    auto value = static_cast<uint8_t>((probe.value_from_top ? start.saved : start.low_value) + 1);
    if (held_low(value)) value = static_cast<uint8_t>(value + 1);

    const auto distinct = [&] {
        uint8_t seen = 0;
        if (!write_byte(handle, layout, probe.high, value)) return false;
        if (!read_byte(handle, layout, probe.high, seen) || seen != value) return false;
        if (!read_byte(handle, layout, probe.low, seen) || seen == value) return false;
        if (probe.second_low && (!read_byte(handle, layout, *probe.second_low, seen) || seen == value)) return false;
        return true;
    };
    const bool passed = distinct();
    const bool restored = write_byte(handle, layout, probe.high, start.saved);
    return passed && restored;
}

bool cells_distinct(int32_t handle, const Layout& layout, const WrapProbe& probe) {
    const auto start = start_probe(handle, layout, probe);
    return start && finish_probe(handle, layout, probe, *start);
}

}  // namespace quillet::eeprom_cells

#include "tools/families.h"

#include <algorithm>
#include <array>

#include "quillet_families.h"

namespace quillet_tool {

namespace {

// ---- the call shapes, each wrapped into the tool's signatures ----

template <auto read>
int16_t flat_read(int32_t h, int16_t, int16_t offset, int32_t length, uint8_t* buffer) {
    return read(h, offset, static_cast<int16_t>(length), buffer);
}
template <auto write>
int16_t flat_write(int32_t h, int16_t, int16_t offset, int32_t length, const uint8_t* data) {
    return write(h, offset, static_cast<int16_t>(length), data);
}
template <auto read>
int16_t zoned_read(int32_t h, int16_t zone, int16_t offset, int32_t length, uint8_t* buffer) {
    return read(h, zone, offset, static_cast<int16_t>(length), buffer);
}
template <auto write>
int16_t zoned_write(int32_t h, int16_t zone, int16_t offset, int32_t length, const uint8_t* data) {
    return write(h, zone, offset, static_cast<int16_t>(length), data);
}
template <auto read>
int16_t paged_read(int32_t h, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) {
    return read(h, page, offset, length, buffer);
}
template <auto write>
int16_t paged_write(int32_t h, int16_t page, int16_t offset, int32_t length, const uint8_t* data) {
    return write(h, page, offset, length, data);
}

// One code: (handle, length, code) and (handle, int16_t* count).
template <auto code>
int16_t one_code(int32_t h, CodeTarget, int16_t length, const uint8_t* bytes) {
    return code(h, length, bytes);
}
template <auto counter>
int16_t one_counter(int32_t h, CodeTarget, int* value) {
    int16_t count = 0;
    const int16_t status = counter(h, &count);
    *value = count;
    return status;
}
// A code per zone: (handle, zone, length, code) and (handle, zone, int16_t* count).
template <auto code>
int16_t zone_code(int32_t h, CodeTarget t, int16_t length, const uint8_t* bytes) {
    return code(h, t.zone, length, bytes);
}
template <auto counter>
int16_t zone_counter(int32_t h, CodeTarget t, int* value) {
    int16_t count = 0;
    const int16_t status = counter(h, t.zone, &count);
    *value = count;
    return status;
}
// Password sets: (handle, set, length, selector, password) or (handle, set, selector, length,
// password); the counter is one byte read the same way.
template <auto code>
int16_t set_length_selector(int32_t h, CodeTarget t, int16_t length, const uint8_t* bytes) {
    return code(h, t.set, length, t.selector, bytes);
}
template <auto counter>
int16_t set_length_selector_counter(int32_t h, CodeTarget t, int* value) {
    uint8_t byte = 0;
    const int16_t status = counter(h, t.set, 1, t.selector, &byte);
    *value = byte;
    return status;
}
template <auto code>
int16_t set_selector_length(int32_t h, CodeTarget t, int16_t length, const uint8_t* bytes) {
    return code(h, t.set, t.selector, length, bytes);
}
template <auto counter>
int16_t set_selector_length_counter(int32_t h, CodeTarget t, int* value) {
    uint8_t byte = 0;
    const int16_t status = counter(h, t.set, t.selector, 1, &byte);
    *value = byte;
    return status;
}

// ---- the rows, from the catalogue's lists ----

constexpr Shape shape_of(int shape) {
    return shape == QL_SHAPE_ZONED ? Shape::zoned : shape == QL_SHAPE_PAGED ? Shape::paged : Shape::flat;
}

constexpr auto table = [] {
    std::array<Family, QL_FAMILY_COUNT> rows{};
#define TOOL_ROW(key, alias_name, type, rank, row_shape, unit, size, write_units, zone_count, code_bytes, kinds, \
                 counter)                                                                                     \
    {                                                                                                         \
        Family& f = rows[QL_FAMILY_##key];                                                                    \
        f.name = #key;                                                                                        \
        f.alias = alias_name;                                                                                 \
        f.card_type = type;                                                                                   \
        f.shape = shape_of(row_shape);                                                                        \
        f.unit_bytes = unit;                                                                                  \
        f.units = size;                                                                                       \
        f.zones = zone_count;                                                                                 \
        f.counter_max = counter;                                                                              \
        f.raw_counter = ((kinds) & QL_CODE_PASSWORD_SETS) != 0;                                               \
        f.code.bytes = code_bytes;                                                                            \
        f.number = QL_FAMILY_##key;                                                                           \
    }
    QL_FAMILIES(TOOL_ROW)
#define TOOL_MEMORY(key, shape, read_fn, write_fn)                                          \
    rows[QL_FAMILY_##key].read = shape##_read<read_fn>;                                  \
    rows[QL_FAMILY_##key].write = shape##_write<write_fn>;                               \
    rows[QL_FAMILY_##key].read_name = #read_fn;                                          \
    rows[QL_FAMILY_##key].write_name = #write_fn;
#define TOOL_FLAT(key, read_fn, write_fn) TOOL_MEMORY(key, flat, read_fn, write_fn)
#define TOOL_ZONED(key, read_fn, write_fn) TOOL_MEMORY(key, zoned, read_fn, write_fn)
#define TOOL_PAGED(key, read_fn, write_fn) TOOL_MEMORY(key, paged, read_fn, write_fn)
    QL_FAMILY_FLAT_MEMORY(TOOL_FLAT)
    QL_FAMILY_ZONED_MEMORY(TOOL_ZONED)
    QL_FAMILY_PAGED_MEMORY(TOOL_PAGED)
#define TOOL_CHECK(key, check_fn, identifies)  \
    rows[QL_FAMILY_##key].check = check_fn;     \
    rows[QL_FAMILY_##key].check_name = #check_fn; \
    rows[QL_FAMILY_##key].check_identifies = (identifies) != 0;
    QL_FAMILY_CHECKS(TOOL_CHECK)
#define TOOL_CODE(which, key, code_shape, counter_shape, present_fn, change_fn, counter_fn, zoned, set_count) \
    rows[QL_FAMILY_##key].which.present = code_shape<present_fn>;                                      \
    rows[QL_FAMILY_##key].which.change = code_shape<change_fn>;                                        \
    rows[QL_FAMILY_##key].which.counter = counter_shape<counter_fn>;                                   \
    rows[QL_FAMILY_##key].which.present_name = #present_fn;                                            \
    rows[QL_FAMILY_##key].which.change_name = #change_fn;                                              \
    rows[QL_FAMILY_##key].which.counter_name = #counter_fn;                                            \
    rows[QL_FAMILY_##key].which.per_zone = zoned;                                                   \
    rows[QL_FAMILY_##key].which.sets = set_count;
#define TOOL_ONE_CODE(key, present_fn, change_fn, counter_fn) \
    TOOL_CODE(code, key, one_code, one_counter, present_fn, change_fn, counter_fn, false, 0)
#define TOOL_ZONE_CODE(key, present_fn, change_fn, counter_fn) \
    TOOL_CODE(code, key, zone_code, zone_counter, present_fn, change_fn, counter_fn, true, 0)
#define TOOL_SLS_CODE(key, present_fn, change_fn, counter_fn, sets) \
    TOOL_CODE(code, key, set_length_selector, set_length_selector_counter, present_fn, change_fn, counter_fn, false, sets)
#define TOOL_SSL_CODE(key, present_fn, change_fn, counter_fn, sets) \
    TOOL_CODE(code, key, set_selector_length, set_selector_length_counter, present_fn, change_fn, counter_fn, false, sets)
#define TOOL_ERASE_CODE(key, present_fn, change_fn, counter_fn, code_bytes)                                \
    TOOL_CODE(erase, key, one_code, one_counter, present_fn, change_fn, counter_fn, false, 0)              \
    rows[QL_FAMILY_##key].erase.bytes = code_bytes;
#define TOOL_ZONE_ERASE_CODE(key, present_fn, change_fn, counter_fn) \
    TOOL_CODE(erase, key, zone_code, zone_counter, present_fn, change_fn, counter_fn, true, 0)
    QL_FAMILY_CODES(TOOL_ONE_CODE)
    QL_FAMILY_ZONED_CODES(TOOL_ZONE_CODE)
    QL_FAMILY_PASSWORDS_SET_LENGTH_SELECTOR(TOOL_SLS_CODE)
    QL_FAMILY_PASSWORDS_SET_SELECTOR_LENGTH(TOOL_SSL_CODE)
    QL_FAMILY_ERASE_CODES(TOOL_ERASE_CODE)
    QL_FAMILY_ZONED_ERASE_CODES(TOOL_ZONE_ERASE_CODE)
    return rows;
}();

struct ZoneRow {
    int family;
    long number;
    Zone zone;
};

constexpr ZoneRow zone_rows[] = {
#define TOOL_ZONE(key, zone, size, read_end, write_end, erase_code) {QL_FAMILY_##key, zone, {size, read_end, write_end, erase_code}},
    QL_FAMILY_ZONES(TOOL_ZONE)
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view name, std::string_view typed) {
    return !name.empty() && name.size() == typed.size() &&
           std::equal(name.begin(), name.end(), typed.begin(), [](char a, char b) { return a == lower(b); });
}

}  // namespace

const Zone* Family::zone(long zone_number) const {
    for (const ZoneRow& row : zone_rows)
        if (row.family == number && row.number == zone_number) return &row.zone;
    return nullptr;
}

std::span<const Family> families() { return table; }

const Family* find_family(std::string_view name) {
    for (const Family& f : table)
        if (same_name(f.name, name) || same_name(f.alias, name)) return &f;
    return nullptr;
}

const Family* family_of_card_type(int16_t card_type) {
    if (card_type == 0) return nullptr;
    for (const Family& f : table)
        if (f.card_type == card_type) return &f;
    return nullptr;
}

std::string family_names(bool with_codes_only) {
    std::string names;
    for (const Family& f : table)
        if (!with_codes_only || f.code) names += (names.empty() ? "" : " ") + std::string(f.name);
    return names;
}

}  // namespace quillet_tool

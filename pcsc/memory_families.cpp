#include "pcsc/memory_families.h"

#include <array>
#include <bit>
#include <cctype>

namespace quillet_pcsc {

namespace {

// Each call shape of the catalogue brought to the driver's one.
template <auto F>
int16_t flat_read(int32_t h, int16_t, int32_t offset, int32_t length, uint8_t* buffer) {
    return F(h, static_cast<int16_t>(offset), static_cast<int16_t>(length), buffer);
}
template <auto F>
int16_t flat_write(int32_t h, int16_t, int32_t offset, int32_t length, const uint8_t* data) {
    return F(h, static_cast<int16_t>(offset), static_cast<int16_t>(length), data);
}
template <auto F>
int16_t zoned_read(int32_t h, int16_t zone, int32_t offset, int32_t length, uint8_t* buffer) {
    return F(h, zone, static_cast<int16_t>(offset), static_cast<int16_t>(length), buffer);
}
template <auto F>
int16_t zoned_write(int32_t h, int16_t zone, int32_t offset, int32_t length, const uint8_t* data) {
    return F(h, zone, static_cast<int16_t>(offset), static_cast<int16_t>(length), data);
}
template <auto F>
int16_t paged_read(int32_t h, int16_t page, int32_t offset, int32_t length, uint8_t* buffer) {
    return F(h, page, static_cast<int16_t>(offset), length, buffer);
}
template <auto F>
int16_t paged_write(int32_t h, int16_t page, int32_t offset, int32_t length, const uint8_t* data) {
    return F(h, page, static_cast<int16_t>(offset), length, data);
}

template <auto F>
int16_t one_code(int32_t h, int16_t, int16_t, int16_t length, const uint8_t* code) { return F(h, length, code); }
template <auto F>
int16_t one_counter(int32_t h, int16_t, int16_t, int16_t* left) { return F(h, left); }
template <auto F>
int16_t zone_code(int32_t h, int16_t zone, int16_t, int16_t length, const uint8_t* code) { return F(h, zone, length, code); }
template <auto F>
int16_t zone_counter(int32_t h, int16_t zone, int16_t, int16_t* left) { return F(h, zone, left); }

// A password's attempt counter is the card's raw byte: FF, EE, CC, 88, 00 for four attempts down
// to none (docs/crypto_cards.md).
int16_t attempts_of(int16_t status, uint8_t raw, int16_t* left) {
    if (status == QL_OK) *left = static_cast<int16_t>(std::popcount(raw) / 2);
    return status;
}
template <auto F>
int16_t set_length_selector(int32_t h, int16_t set, int16_t selector, int16_t length, const uint8_t* code) {
    return F(h, set, length, selector, code);
}
template <auto F>
int16_t set_length_selector_counter(int32_t h, int16_t set, int16_t selector, int16_t* left) {
    uint8_t raw = 0;
    const int16_t status = F(h, set, 1, selector, &raw);
    return attempts_of(status, raw, left);
}
template <auto F>
int16_t set_selector_length(int32_t h, int16_t set, int16_t selector, int16_t length, const uint8_t* code) {
    return F(h, set, selector, length, code);
}
template <auto F>
int16_t set_selector_length_counter(int32_t h, int16_t set, int16_t selector, int16_t* left) {
    uint8_t raw = 0;
    const int16_t status = F(h, set, selector, 1, &raw);
    return attempts_of(status, raw, left);
}

constexpr uint8_t i2c_bus = 0x0B, two_wire_bus = 0x0D, three_wire_bus = 0x0E, other_bus = 0x00;

// The bus a family's ATR names: the driver's own presentation, not a fact of the catalogue.
constexpr uint8_t bus_of(ql_family key) {
    switch (key) {
        case QL_FAMILY_24c01a: case QL_FAMILY_24c02: case QL_FAMILY_24c04: case QL_FAMILY_24c08:
        case QL_FAMILY_24c16: case QL_FAMILY_24c32: case QL_FAMILY_24c64:
            return i2c_bus;
        case QL_FAMILY_sle4428: case QL_FAMILY_sle4418: case QL_FAMILY_93c46a: case QL_FAMILY_93c46:
        case QL_FAMILY_93c57: case QL_FAMILY_93c66:
            return three_wire_bus;
        case QL_FAMILY_at45d041: case QL_FAMILY_ssf1101:
            return other_bus;
        default:
            return two_wire_bus;
    }
}

// The SLE cards take a write without their code as if it were done: the driver asks for the code.
constexpr bool writes_need_code(ql_family key) {
    return key == QL_FAMILY_sle4442 || key == QL_FAMILY_2042 || key == QL_FAMILY_sle4428;
}

using Table = std::array<MemoryFamily, QL_FAMILY_COUNT>;

constexpr Table build_families() {
    Table t{};
#define QP_ROW(key, alias, type, rank, shape, unit, units, write_units, zones, code, kinds, counter)           \
    t[QL_FAMILY_##key] = MemoryFamily{QL_FAMILY_##key, #key, type, bus_of(QL_FAMILY_##key), shape, unit, units, \
                                      write_units, zones, code, kinds, counter, writes_need_code(QL_FAMILY_##key), \
                                      nullptr, nullptr, {}, {}, nullptr};
    QL_FAMILIES(QP_ROW)
#define QP_FLAT(key, r, w) t[QL_FAMILY_##key].read = flat_read<r>, t[QL_FAMILY_##key].write = flat_write<w>;
    QL_FAMILY_FLAT_MEMORY(QP_FLAT)
#define QP_ZONED(key, r, w) t[QL_FAMILY_##key].read = zoned_read<r>, t[QL_FAMILY_##key].write = zoned_write<w>;
    QL_FAMILY_ZONED_MEMORY(QP_ZONED)
#define QP_PAGED(key, r, w) t[QL_FAMILY_##key].read = paged_read<r>, t[QL_FAMILY_##key].write = paged_write<w>;
    QL_FAMILY_PAGED_MEMORY(QP_PAGED)
#define QP_CODE(key, p, c, n) t[QL_FAMILY_##key].security = {one_code<p>, one_code<c>, one_counter<n>, 0};
    QL_FAMILY_CODES(QP_CODE)
#define QP_ZONED_CODE(key, p, c, n) t[QL_FAMILY_##key].security = {zone_code<p>, zone_code<c>, zone_counter<n>, 0};
    QL_FAMILY_ZONED_CODES(QP_ZONED_CODE)
#define QP_ERASE(key, p, c, n, bytes) t[QL_FAMILY_##key].erase = {one_code<p>, one_code<c>, one_counter<n>, bytes};
    QL_FAMILY_ERASE_CODES(QP_ERASE)
#define QP_ZONED_ERASE(key, p, c, n) t[QL_FAMILY_##key].erase = {zone_code<p>, zone_code<c>, zone_counter<n>, 0};
    QL_FAMILY_ZONED_ERASE_CODES(QP_ZONED_ERASE)
#define QP_SLS(key, p, c, n, sets)                                                                \
    t[QL_FAMILY_##key].security = {set_length_selector<p>, set_length_selector<c>,                \
                                   set_length_selector_counter<n>, 0, sets};
    QL_FAMILY_PASSWORDS_SET_LENGTH_SELECTOR(QP_SLS)
#define QP_SSL(key, p, c, n, sets)                                                                \
    t[QL_FAMILY_##key].security = {set_selector_length<p>, set_selector_length<c>,                \
                                   set_selector_length_counter<n>, 0, sets};
    QL_FAMILY_PASSWORDS_SET_SELECTOR_LENGTH(QP_SSL)
#define QP_ERASE_ALL(key, erase) t[QL_FAMILY_##key].erase_all = erase;
    QL_FAMILY_ERASE_ALL(QP_ERASE_ALL)
    return t;
}

constexpr Table families = build_families();

struct ZoneRow {
    ql_family key;
    int zone;
    ZoneBounds bounds;
};
#define QP_ZONE(key, zone, size, read_end, write_end, erase_code) \
    ZoneRow{QL_FAMILY_##key, zone, {size, read_end, write_end, erase_code}},
constexpr ZoneRow zone_rows[] = {QL_FAMILY_ZONES(QP_ZONE)};

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

const MemoryFamily* memory_family(int16_t type_number) {
    if (type_number <= 0) return nullptr;
    for (const MemoryFamily& family : families) {
        if (family.type_number == type_number) return &family;
    }
    return nullptr;
}

const MemoryFamily* memory_family_named(std::string_view name) {
    for (const MemoryFamily& family : families) {
        if (same_name(family.name, name)) return &family;
    }
    return nullptr;
}

ZoneBounds zone_bounds(const MemoryFamily& family, int zone) {
    if (zone < 0) return {};
    switch (family.shape) {
        case QL_SHAPE_FLAT:
            return zone == 0 ? ZoneBounds{family.units, family.units, family.write_units, 0} : ZoneBounds{};
        case QL_SHAPE_PAGED: {
            const int32_t page = family.units / family.zones;
            return zone < family.zones ? ZoneBounds{page, page, page, 0} : ZoneBounds{};
        }
        default:
            for (const ZoneRow& row : zone_rows) {
                if (row.key == family.key && row.zone == zone) return row.bounds;
            }
            return {};
    }
}

CryptoCalls crypto_calls_of(const MemoryFamily& family) {
    switch (family.key) {  // the configuration zone's sizes: 128 bytes and the fuse byte, 64 bytes
        case QL_FAMILY_at88sc1608:
            return {init_auth_1608, flat_read<srdconfig_1608>, flat_write<swrconfig_1608>, 129};
        case QL_FAMILY_at88sc153:
            return {init_auth_153, flat_read<srdconfig_153>, flat_write<swrconfig_153>, 64};
        default:
            return {};
    }
}

}  // namespace quillet_pcsc

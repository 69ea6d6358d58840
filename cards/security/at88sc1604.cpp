#include "cards/security/at88sc1604.h"

#include <array>
#include <bit>
#include <optional>

#include "cards/security/at88sc1604_variants.h"
#include "core/checks.h"
#include "core/chunks.h"
#include "reader/conversions.h"
#include "link/exchange.h"

namespace quillet::at88sc1604 {

namespace {

constexpr std::array<const VariantTable*, 3> tables{&at88sc1604_table, &at88sc1604b_table, &at88sc1604c_table};

const VariantTable& table_of(Variant v) { return *tables[static_cast<size_t>(v)]; }

constexpr uint8_t protect_flag = 0x80;
constexpr uint8_t read_flag = 0x40;
constexpr int first_application_zone = 1;

bool known_zone(int zone) { return zone >= 0 && zone < zone_count; }

// Length first; then, by zone, the offset and the end. An unknown zone is a bad length here (the
// code, counter and flag functions call it a bad address). A negative offset is out of range too:
// it would reach into the code block and data in front of the zone named.
Status data_checks(const ZoneBounds& bounds, int16_t zone, int16_t offset, int16_t length) {
    const Bounds b = known_zone(zone) ? bounds[static_cast<size_t>(zone)] : Bounds{-1, 0};
    return first_failure({
        {length >= 1, Status::bad_length},
        {known_zone(zone), Status::bad_length},
        {offset >= 0 && offset <= b.last_offset, Status::bad_address},
        {offset + length <= b.end, Status::bad_length},
    });
}

// AA cmd LH LL 73 V Z AH AL
Frame addressed(uint8_t cmd, uint8_t variant_byte, int zone, int address) {
    Frame f(cmd);
    f.type(card_type).byte(variant_byte).byte(static_cast<uint8_t>(zone)).be16(static_cast<uint16_t>(address));
    return f;
}

Status outcome(int32_t handle, const Frame& frame, Wait wait) {
    Reply reply;
    return exchange(handle, frame, wait, reply);
}

int absolute(const VariantTable& t, int zone, int offset) { return t.zone_base[static_cast<size_t>(zone)] + offset; }

// Frames carrying the caller's data, chunk by chunk (the plain write and the code-area write).
Status send_data(int32_t handle, const VariantTable& t, uint8_t cmd, const ZoneBounds& bounds, Wait wait, int16_t zone,
                 int16_t offset, int16_t length, const uint8_t* data) {
    QL_TRY(data_checks(bounds, zone, offset, length));
    return for_each_chunk(absolute(t, zone, offset), length, chunk_size, [&](int address, int count, int position) {
        Frame f = addressed(cmd, t.variant_byte, zone, address);
        f.data(data + position, static_cast<size_t>(count));
        return outcome(handle, f, wait);
    });
}

// The code block entry of a zone, when the zone is known and has it.
std::optional<Place> place_of(const VariantTable& t, int16_t zone, std::optional<Place> CodeBlock::*entry) {
    if (!known_zone(zone)) return std::nullopt;
    return t.code_blocks[static_cast<size_t>(zone)].*entry;
}

Status code_checks(int16_t length, const std::optional<Place>& place) {
    return first_failure({
        {length == code_size, Status::bad_length},
        {place.has_value(), Status::bad_address},
    });
}

Status present(int32_t handle, uint8_t cmd, uint8_t variant_byte, int zone_byte, int address, const uint8_t* code) {
    Frame f = addressed(cmd, variant_byte, zone_byte, address);
    f.data(code, code_size);
    return outcome(handle, f, Wait::normal);
}

// Erase the code's 2 bytes, then store it with the code-area write; the write is not tried when
// the erase fails.
Status store_code(int32_t handle, Variant v, Place at, const uint8_t* code) {
    const auto zone = static_cast<int16_t>(at.zone);
    const auto offset = static_cast<int16_t>(at.offset);
    QL_TRY(erase(handle, v, zone, offset, code_size));
    return write_code_area(handle, v, zone, offset, code_size, code);
}

Status read_code(int32_t handle, Variant v, int16_t length, const std::optional<Place>& at, uint8_t* buffer) {
    QL_TRY(code_checks(length, at));
    return read(handle, v, static_cast<int16_t>(at->zone), static_cast<int16_t>(at->offset), code_size, buffer);
}

Status write_code(int32_t handle, Variant v, int16_t length, const std::optional<Place>& at, const uint8_t* code) {
    QL_TRY(code_checks(length, at));
    return store_code(handle, v, *at, code);
}

Status count_bits(int32_t handle, Variant v, const std::optional<Place>& at, int16_t* count) {
    if (!at) return Status::bad_address;
    uint8_t counter = 0;
    QL_TRY(read(handle, v, static_cast<int16_t>(at->zone), static_cast<int16_t>(at->offset), 1, &counter));
    *count = static_cast<int16_t>(std::popcount(counter));
    return Status::ok;
}

Status clear_flag(int32_t handle, Variant v, int16_t zone, uint8_t flag) {
    if (zone < first_application_zone || zone >= zone_count) return Status::bad_address;
    uint8_t first = 0;
    QL_TRY(read(handle, v, zone, 0, 1, &first));
    if ((first & flag) == 0) return Status::ok;
    const auto cleared = static_cast<uint8_t>(first & ~flag);
    return write(handle, v, zone, 0, 1, &cleared);
}

}  // namespace

Status read(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) {
    const VariantTable& t = table_of(v);
    QL_TRY(data_checks(t.read, zone, offset, length));
    return for_each_chunk(absolute(t, zone, offset), length, chunk_size, [&](int address, int count, int position) {
        Frame f = addressed(command::read, t.variant_byte, zone, address);
        f.byte(0).byte(static_cast<uint8_t>(count));
        return read_data(handle, f, t.waits.read, buffer + position, static_cast<size_t>(count));
    });
}

Status write(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) {
    const VariantTable& t = table_of(v);
    return send_data(handle, t, command::write, t.write, t.waits.write, zone, offset, length, data);
}

Status write_code_area(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) {
    const VariantTable& t = table_of(v);
    return send_data(handle, t, command::write_code, t.erase, t.waits.code_area_write, zone, offset, length, data);
}

Status erase(int32_t handle, Variant v, int16_t zone, int16_t offset, int16_t length) {
    const VariantTable& t = table_of(v);
    QL_TRY(data_checks(t.erase, zone, offset, length));
    return for_each_chunk(absolute(t, zone, offset), length, chunk_size, [&](int address, int count, int) {
        Frame f = addressed(command::erase, t.variant_byte, zone, address);
        f.byte(0).byte(static_cast<uint8_t>(count));
        return outcome(handle, f, t.waits.erase);
    });
}

Status present_security_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code) {
    const VariantTable& t = table_of(v);
    const auto at = place_of(t, zone, &CodeBlock::security_code);
    QL_TRY(code_checks(length, at));
    // The zone byte is the zone named, the address that of its security code.
    return present(handle, command::present_code, t.security_code_variant_byte, zone,
                   absolute(t, at->zone, at->offset), code);
}

Status write_security_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code) {
    return write_code(handle, v, length, place_of(table_of(v), zone, &CodeBlock::security_code), code);
}

Status read_security_code(int32_t handle, Variant v, int16_t zone, int16_t length, uint8_t* buffer) {
    return read_code(handle, v, length, place_of(table_of(v), zone, &CodeBlock::security_code), buffer);
}

Status read_error_counter(int32_t handle, Variant v, int16_t zone, int16_t* count) {
    return count_bits(handle, v, place_of(table_of(v), zone, &CodeBlock::error_counter), count);
}

Status present_erase_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code) {
    const VariantTable& t = table_of(v);
    const auto at = place_of(t, zone, &CodeBlock::erase_code);
    QL_TRY(code_checks(length, at));
    // The zone byte is the zone that holds the code block (zone - 1).
    return present(handle, command::present_erase_code, t.variant_byte, at->zone, absolute(t, at->zone, at->offset),
                   code);
}

Status write_erase_code(int32_t handle, Variant v, int16_t zone, int16_t length, const uint8_t* code) {
    return write_code(handle, v, length, place_of(table_of(v), zone, &CodeBlock::erase_code), code);
}

Status read_erase_code(int32_t handle, Variant v, int16_t zone, int16_t length, uint8_t* buffer) {
    return read_code(handle, v, length, place_of(table_of(v), zone, &CodeBlock::erase_code), buffer);
}

Status read_erase_counter(int32_t handle, Variant v, int16_t zone, int16_t* count) {
    return count_bits(handle, v, place_of(table_of(v), zone, &CodeBlock::erase_counter), count);
}

Status clear_protect_flag(int32_t handle, Variant v, int16_t zone) { return clear_flag(handle, v, zone, protect_flag); }

Status clear_read_flag(int32_t handle, Variant v, int16_t zone) { return clear_flag(handle, v, zone, read_flag); }

Status set_fuse_simulation(int32_t handle, Variant v, int16_t flag) {
    Frame f = addressed(command::fuse_simulation, table_of(v).variant_byte, 0, 0);
    f.byte(flag != 0 ? 0xFF : 0x00);
    return outcome(handle, f, Wait::normal);
}

Status personalise(int32_t handle, Variant v) {
    const VariantTable& t = table_of(v);
    return outcome(handle, addressed(command::personalise, t.variant_byte, 0, t.personalise_address), Wait::normal);
}

Status check(int32_t handle, Variant v) {
    std::array<uint8_t, 2> id{};
    QL_TRY(read(handle, v, 0, 0, 2, id.data()));
    const Identification& rule = table_of(v).identification;
    if (rule.registered_family && is_registered_code(*rule.registered_family, id.data(), 2)) return Status::ok;
    return rule.byte0.has(id[0]) && rule.byte1.has(id[1]) ? Status::ok : Status::wrong_card;
}

}  // namespace quillet::at88sc1604

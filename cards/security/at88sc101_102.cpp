#include "cards/security/at88sc101_102.h"

#include <algorithm>

#include "cards/security/security_steps.h"
#include "core/checks.h"
#include "core/chunks.h"
#include "reader/conversions.h"
#include "link/exchange.h"

namespace quillet::at88sc10x {

namespace {

// How a data operation is checked: whether it may run on to the end of the card, and what a zone
// the card does not have gives (the read reports it as an address, the others as a length).
struct Operation {
    uint8_t command;
    bool runs_to_card_end;
    Status bad_zone;
};

constexpr Operation reading{command::read, true, Status::bad_address};
constexpr Operation writing{command::write, false, Status::bad_length};
constexpr Operation code_area_writing{command::write_code, false, Status::bad_length};
constexpr Operation erasing{command::erase, true, Status::bad_length};

const Zone* zone_of(const Card& card, int16_t zone) {
    return zone >= 0 && static_cast<size_t>(zone) < card.zones.size() ? &card.zones[static_cast<size_t>(zone)]
                                                                      : nullptr;
}

Status data_checks(const Card& card, const Operation& op, int16_t zone, int16_t offset, int16_t length) {
    const Zone* z = zone_of(card, zone);
    const int size = z ? z->size : 0;
    const int end = !z ? 0 : op.runs_to_card_end ? card.memory_size - z->base : z->size;
    return first_failure({
        {!card.length_checked_first || length >= 1, Status::bad_length},
        {z != nullptr, op.bad_zone},
        {offset >= 0 && offset < size, Status::bad_address},
        {length >= 1, Status::bad_length},
        {length <= end - offset, Status::bad_length},
    });
}

// AA cmd LH LL  T 00 zone addrH addrL
Frame addressed(const Card& card, uint8_t cmd, int16_t zone, int address) {
    Frame f(cmd);
    f.type(card.card_type).zero(1).byte(static_cast<uint8_t>(zone)).be16(static_cast<uint16_t>(address));
    return f;
}

Status outcome(int32_t handle, const Frame& frame) {
    Reply reply;
    return exchange(handle, frame, Wait::normal, reply);
}

int absolute(const Card& card, int16_t zone, int16_t offset) { return zone_of(card, zone)->base + offset; }

Status send_data(const Card& card, const Operation& op, int32_t handle, int16_t zone, int16_t offset, int16_t length,
                 const uint8_t* data) {
    QL_TRY(data_checks(card, op, zone, offset, length));
    return for_each_chunk(absolute(card, zone, offset), length, chunk_size, [&](int address, int count, int position) {
        Frame f = addressed(card, op.command, zone, address);
        f.data(data + position, static_cast<size_t>(count));
        return outcome(handle, f);
    });
}

Status read_place(const Card& card, int32_t handle, const Place& place, uint8_t* buffer) {
    return read(card, handle, place.zone, place.offset, place.size, buffer);
}

// Erases the code's bytes, then stores the new code with the code-area write; a failed erase
// sends no write.
Status replace_code(const Card& card, int32_t handle, const Place& place, const uint8_t* code) {
    QL_TRY(erase(card, handle, place.zone, place.offset, place.size));
    return write_code_area(card, handle, place.zone, place.offset, place.size, code);
}

const EraseCode* erase_code_of(const Card& card, int16_t zone) {
    const auto it = std::find_if(card.erase_codes.begin(), card.erase_codes.end(),
                                 [&](const EraseCode& e) { return e.place.zone == zone; });
    return it == card.erase_codes.end() ? nullptr : &*it;
}

Status erase_code_checks(const EraseCode* code, int16_t length) {
    return first_failure({
        {length >= 1, Status::bad_length},
        {code != nullptr, Status::bad_address},
        {code && length == code->place.size, Status::bad_length},
    });
}

Status count_ones(const Card& card, int32_t handle, const Place& place, uint8_t bits, int16_t* count) {
    return security::count_bits(
        [&](uint8_t* out, int16_t n) { return read(card, handle, place.zone, place.offset, n, out); }, place.size, bits,
        count);
}

}  // namespace

Status read(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) {
    QL_TRY(data_checks(card, reading, zone, offset, length));
    return for_each_chunk(absolute(card, zone, offset), length, chunk_size, [&](int address, int count, int position) {
        Frame f = addressed(card, command::read, zone, address);
        f.be16(static_cast<uint16_t>(count));
        return read_data(handle, f, Wait::normal, buffer + position, static_cast<size_t>(count));
    });
}

Status write(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) {
    return send_data(card, writing, handle, zone, offset, length, data);
}

Status write_code_area(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length,
                       const uint8_t* data) {
    return send_data(card, code_area_writing, handle, zone, offset, length, data);
}

Status erase(const Card& card, int32_t handle, int16_t zone, int16_t offset, int16_t length) {
    QL_TRY(data_checks(card, erasing, zone, offset, length));
    return for_each_chunk(absolute(card, zone, offset), length, chunk_size, [&](int address, int count, int) {
        Frame f = addressed(card, command::erase, zone, address);
        f.be16(static_cast<uint16_t>(count));
        return outcome(handle, f);
    });
}

Status present_code(const Card& card, int32_t handle, int16_t length, const uint8_t* code) {
    if (length != card.security_code.size) return Status::bad_length;
    Frame f = addressed(card, command::present_code, 0, card.code_frame_address);
    f.data(code, static_cast<size_t>(card.security_code.size));
    return outcome(handle, f);
}

Status change_code(const Card& card, int32_t handle, int16_t length, const uint8_t* code) {
    if (length != card.security_code.size) return Status::bad_length;
    return replace_code(card, handle, card.security_code, code);
}

Status read_code(const Card& card, int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != card.security_code.size) return Status::bad_length;
    return read_place(card, handle, card.security_code, buffer);
}

Status read_error_counter(const Card& card, int32_t handle, int16_t* count) {
    return count_ones(card, handle, card.error_counter, card.error_counter_bits, count);
}

Status present_erase_code(const Card& card, int32_t handle, int16_t zone, int16_t length, const uint8_t* code) {
    const EraseCode* erase_code = erase_code_of(card, zone);
    QL_TRY(erase_code_checks(erase_code, length));
    Frame f = addressed(card, command::present_erase_code, zone, erase_code->frame_address);
    f.data(code, static_cast<size_t>(erase_code->place.size));
    return outcome(handle, f);
}

Status change_erase_code(const Card& card, int32_t handle, int16_t zone, int16_t length, const uint8_t* code) {
    const EraseCode* erase_code = erase_code_of(card, zone);
    QL_TRY(erase_code_checks(erase_code, length));
    return replace_code(card, handle, erase_code->place, code);
}

Status read_erase_code(const Card& card, int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) {
    const EraseCode* erase_code = erase_code_of(card, zone);
    QL_TRY(erase_code_checks(erase_code, length));
    return read_place(card, handle, erase_code->place, buffer);
}

Status read_erase_counter(const Card& card, int32_t handle, int16_t zone, int16_t* count) {
    if (zone != card.erase_counter.zone) return Status::bad_address;
    return count_ones(card, handle, card.erase_counter, 0xFF, count);
}

Status clear_flag(const Card& card, int32_t handle, int16_t zone, uint8_t bit) {
    const auto flag =
        std::find_if(card.flag_bytes.begin(), card.flag_bytes.end(), [&](const Place& p) { return p.zone == zone; });
    if (flag == card.flag_bytes.end()) return Status::bad_address;
    return security::clear_flag(
        [&](uint8_t* byte) { return read_place(card, handle, *flag, byte); },
        [&](const uint8_t* byte) { return write(card, handle, flag->zone, flag->offset, 1, byte); }, bit);
}

Status simulate_fuse(const Card& card, int32_t handle, int16_t flag) {
    Frame f = addressed(card, command::fuse_simulation, 0, 0);
    f.byte(security::fuse_simulation_byte(flag));
    return outcome(handle, f);
}

Status personalise(const Card& card, int32_t handle) {
    return outcome(handle, addressed(card, command::personalise, 0, card.personalise_address));
}

Status check_card(const Card& card, int32_t handle) {
    std::array<uint8_t, 2> id{};
    QL_TRY(read(card, handle, 0, 0, static_cast<int16_t>(id.size()), id.data()));
    if (std::find(card.identities.begin(), card.identities.end(), id) != card.identities.end()) return Status::ok;
    return is_registered_code(card.registered_code_family, id.data(), 2) ? Status::ok : Status::wrong_card;
}

}  // namespace quillet::at88sc10x

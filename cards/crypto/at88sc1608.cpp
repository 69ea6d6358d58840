#include "cards/crypto/at88sc1608.h"

#include <algorithm>

#include "reader/checks.h"
#include "reader/chunks.h"

namespace quillet::at88sc1608 {

namespace {

using at88sc::Target;

constexpr uint8_t user_area = 0;
constexpr uint8_t configuration_area = 1;
constexpr Target configuration{card_type, configuration_area, 0};

constexpr Target user_zone(int zone) { return {card_type, user_area, static_cast<uint8_t>(zone)}; }

// Where the user zones from `zone` onward end, counted from the start of `zone`.
constexpr int bytes_from(int zone, bool into_last_zone) {
    const int end = user_bytes + (into_last_zone || zone == user_zones ? last_zone_size : 0);
    return end - zone * zone_size;
}

Status zone_checks(int16_t zone, int16_t address, int16_t length, bool into_last_zone) {
    return first_failure({
        {length >= 1, Status::bad_length},
        {zone >= 0 && zone <= user_zones, Status::bad_address},
        {address >= 0 && address + length <= bytes_from(zone, into_last_zone), Status::bad_address},
        // A start at 256 or beyond (possible in zones 0..6) leaves no room in its own zone.
        {address < zone_size, Status::bad_length},
    });
}

// Cuts [address, address + length) of `zone` at zone boundaries, and each zone's piece into
// frames of at most 144 bytes: fn(zone, address, count, position in the caller's buffer).
template <typename Fn>
Status across_zones(int zone, int address, int length, Fn&& fn) {
    for (int position = 0; position < length; ++zone, address = 0) {
        const int piece = std::min(length - position, zone_size - address);
        const int start = position;
        if (Status s = for_each_chunk(address, piece, chunk_size,
                                      [&](int a, int count, int p) { return fn(zone, a, count, start + p); });
            failed(s))
            return s;
        position += piece;
    }
    return Status::ok;
}

Status configuration_checks(int16_t address, int16_t length) {
    return first_failure({
        {length >= 1 && length <= configuration_end, Status::bad_length},
        {address >= 0 && address + length <= configuration_end, Status::bad_address},
    });
}

Status set_checks(int16_t set, int16_t length, int16_t wanted_length) {
    return first_failure({
        {set >= 0 && set < password_sets, Status::bad_address},
        {length == wanted_length, Status::bad_length},
    });
}

// Configuration address of a password's attempt counter; its 3 bytes follow it.
int16_t counter_address(int16_t set, int16_t selector) {
    return static_cast<int16_t>(password_base + 8 * set + (selector != 0 ? 4 : 0));
}

Status access_checks(int16_t zone, int16_t length) {
    return first_failure({
        {zone >= 0 && zone < user_zones, Status::bad_address},
        {length == 1, Status::bad_length},
    });
}

}  // namespace

Status reset(int32_t handle, int16_t length, uint8_t* buffer) {
    return at88sc::reset(handle, card_type, length, buffer);
}

Status check(int32_t handle) { return at88sc::check_answer(handle, card_type, answer_to_reset); }

Status init_auth(int32_t handle, int16_t length, const uint8_t* data) {
    return at88sc::init_auth(handle, card_type, length, data);
}

Status read(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer) {
    if (Status s = zone_checks(zone, address, length, true); failed(s)) return s;
    return across_zones(zone, address, length, [&](int z, int a, int count, int position) {
        return at88sc::read(handle, at88sc::command::read, user_zone(z), static_cast<uint16_t>(a),
                            static_cast<uint8_t>(count), buffer + position);
    });
}

Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data) {
    if (Status s = zone_checks(zone, address, length, false); failed(s)) return s;
    return across_zones(zone, address, length, [&](int z, int a, int count, int position) {
        return at88sc::write(handle, user_zone(z), static_cast<uint16_t>(a), data + position,
                             static_cast<size_t>(count));
    });
}

Status read_configuration(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) {
    if (Status s = configuration_checks(address, length); failed(s)) return s;
    return at88sc::read(handle, at88sc::command::read, configuration, static_cast<uint16_t>(address),
                        static_cast<uint8_t>(length), buffer);
}

Status write_configuration(int32_t handle, int16_t address, int16_t length, const uint8_t* data) {
    if (Status s = configuration_checks(address, length); failed(s)) return s;
    return at88sc::write(handle, configuration, static_cast<uint16_t>(address), data, static_cast<size_t>(length));
}

Status read_fuses(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != 1) return Status::bad_length;
    return read_configuration(handle, fuse_address, 1, buffer);
}

Status present_password(int32_t handle, int16_t set, int16_t length, int16_t selector, const uint8_t* password) {
    if (Status s = first_failure({
            {length == at88sc::password_size, Status::bad_length},
            {set >= 0 && set < password_sets, Status::bad_address},
        });
        failed(s))
        return s;
    const auto which = static_cast<uint8_t>(set | (selector != 0 ? 0x08 : 0x00));
    return at88sc::present_password(handle, card_type, static_cast<uint8_t>(counter_address(set, selector)), which,
                                    password);
}

Status write_password(int32_t handle, int16_t set, int16_t length, int16_t selector, const uint8_t* password) {
    if (Status s = set_checks(set, length, at88sc::password_size); failed(s)) return s;
    return write_configuration(handle, static_cast<int16_t>(counter_address(set, selector) + 1), at88sc::password_size,
                               password);
}

Status read_password(int32_t handle, int16_t set, int16_t length, int16_t selector, uint8_t* buffer) {
    if (Status s = set_checks(set, length, at88sc::password_size); failed(s)) return s;
    return read_configuration(handle, static_cast<int16_t>(counter_address(set, selector) + 1), at88sc::password_size,
                              buffer);
}

Status read_attempts(int32_t handle, int16_t set, int16_t length, int16_t selector, uint8_t* buffer) {
    if (Status s = set_checks(set, length, 1); failed(s)) return s;
    return read_configuration(handle, counter_address(set, selector), 1, buffer);
}

Status read_access(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) {
    if (Status s = access_checks(zone, length); failed(s)) return s;
    return read_configuration(handle, static_cast<int16_t>(access_register_base + zone), 1, buffer);
}

Status write_access(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) {
    if (Status s = access_checks(zone, length); failed(s)) return s;
    return write_configuration(handle, static_cast<int16_t>(access_register_base + zone), 1, data);
}

Status personalise(int32_t handle) { return at88sc::plain(handle, at88sc::command::blow_fuse, card_type, {}); }

}  // namespace quillet::at88sc1608

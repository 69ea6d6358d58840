#include "cards/crypto/at88sc153.h"

#include <array>

#include "reader/checks.h"

namespace quillet::at88sc153 {

namespace {

using at88sc::Target;

constexpr Target user_zone(int zone) { return {card_type, 0, static_cast<uint8_t>(zone)}; }
constexpr Target configuration = user_zone(configuration_zone);

// The fuse byte starts at 7; the fuses are blown in the order 1, 2, 4, each clearing its bit.
struct FuseStep {
    uint8_t fuse;
    uint8_t fuse_byte_after;
};
constexpr std::array fuse_steps{FuseStep{1, 6}, FuseStep{2, 4}, FuseStep{4, 0}};

// One frame within a 64-byte zone; a negative address is refused like one past the end.
Status transfer_checks(int16_t address, int16_t length) {
    return first_failure({
        {length >= 1 && length <= zone_size, Status::bad_length},
        {address >= 0 && address + length <= zone_size, Status::bad_address},
    });
}

Status zone_checks(int16_t zone, int16_t address, int16_t length) {
    return first_failure({
        {length >= 1 && length <= zone_size, Status::bad_length},
        {zone >= 0 && zone < user_zones, Status::bad_address},
        {address >= 0 && address + length <= zone_size, Status::bad_address},
    });
}

bool valid_password(int16_t set, int16_t selector) {
    return set >= 0 && set < password_sets && selector >= 0 && selector <= 1;
}

// Set, selector, then the length: a selector other than 0 and 1 would name another set's bytes.
Status password_checks(int16_t set, int16_t selector, int16_t length, int16_t wanted_length) {
    return first_failure({
        {valid_password(set, selector), Status::bad_address},
        {length == wanted_length, Status::bad_length},
    });
}

// Configuration address of a password's attempt counter; its 3 bytes follow it.
int16_t counter_address(int16_t set, int16_t selector) {
    return static_cast<int16_t>(password_base + 8 * set + 4 * selector);
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
    if (Status s = zone_checks(zone, address, length); failed(s)) return s;
    return at88sc::read(handle, at88sc::command::read, user_zone(zone), static_cast<uint16_t>(address),
                        static_cast<uint8_t>(length), buffer);
}

Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data) {
    if (Status s = zone_checks(zone, address, length); failed(s)) return s;
    return at88sc::write(handle, user_zone(zone), static_cast<uint16_t>(address), data, static_cast<size_t>(length));
}

Status read_configuration(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) {
    if (Status s = transfer_checks(address, length); failed(s)) return s;
    return at88sc::read(handle, at88sc::command::read, configuration, static_cast<uint16_t>(address),
                        static_cast<uint8_t>(length), buffer);
}

Status write_configuration(int32_t handle, int16_t address, int16_t length, const uint8_t* data) {
    if (Status s = transfer_checks(address, length); failed(s)) return s;
    return at88sc::write(handle, configuration, static_cast<uint16_t>(address), data, static_cast<size_t>(length));
}

Status read_access(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) {
    if (Status s = access_checks(zone, length); failed(s)) return s;
    return read_configuration(handle, static_cast<int16_t>(access_register_base + zone), 1, buffer);
}

Status write_access(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) {
    if (Status s = access_checks(zone, length); failed(s)) return s;
    return write_configuration(handle, static_cast<int16_t>(access_register_base + zone), 1, data);
}

Status read_register(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) {
    if (length != 1) return Status::bad_length;
    return read_configuration(handle, address, 1, buffer);
}

Status write_register(int32_t handle, int16_t address, int16_t length, const uint8_t* data) {
    if (length != 1) return Status::bad_length;
    return write_configuration(handle, address, 1, data);
}

Status present_password(int32_t handle, int16_t set, int16_t selector, int16_t length, const uint8_t* password) {
    if (Status s = first_failure({
            {length == at88sc::password_size, Status::bad_length},
            {valid_password(set, selector), Status::bad_address},
        });
        failed(s))
        return s;
    const auto which = static_cast<uint8_t>(0xB3 | (selector != 0 ? 0x08 : 0x00) | (set != 0 ? 0x04 : 0x00));
    return at88sc::present_password(handle, card_type, static_cast<uint8_t>(counter_address(set, selector)), which,
                                    password);
}

Status write_password(int32_t handle, int16_t set, int16_t selector, int16_t length, const uint8_t* password) {
    if (Status s = password_checks(set, selector, length, at88sc::password_size); failed(s)) return s;
    return write_configuration(handle, static_cast<int16_t>(counter_address(set, selector) + 1), at88sc::password_size,
                               password);
}

Status read_password(int32_t handle, int16_t set, int16_t selector, int16_t length, uint8_t* buffer) {
    if (Status s = password_checks(set, selector, length, at88sc::password_size); failed(s)) return s;
    return read_configuration(handle, static_cast<int16_t>(counter_address(set, selector) + 1), at88sc::password_size,
                              buffer);
}

Status read_attempts(int32_t handle, int16_t set, int16_t selector, int16_t length, uint8_t* buffer) {
    if (Status s = password_checks(set, selector, length, 1); failed(s)) return s;
    return read_configuration(handle, counter_address(set, selector), 1, buffer);
}

Status read_fuses(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != 1) return Status::bad_length;
    return at88sc::read(handle, at88sc::command::read_fuses, user_zone(0), 0, 1, buffer);
}

Status blow_fuse(int32_t handle, uint8_t fuse) {
    const std::array<uint8_t, 1> value{fuse};
    if (Status s = at88sc::plain(handle, at88sc::command::blow_fuse, card_type, value); failed(s)) return s;
    uint8_t fuse_byte = 0;
    if (Status s = read_fuses(handle, 1, &fuse_byte); failed(s)) return s;
    for (const FuseStep& step : fuse_steps)
        if (step.fuse == fuse) return fuse_byte == step.fuse_byte_after ? Status::ok : Status::write_failed;
    return Status::write_failed;
}

Status personalise(int32_t handle) { return blow_fuse(handle, personalisation_fuse); }

}  // namespace quillet::at88sc153

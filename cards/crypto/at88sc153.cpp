#include "cards/crypto/at88sc153.h"

#include <array>

#include "core/checks.h"

namespace quillet::at88sc153 {

namespace {

constexpr at88sc::Target user_zone(int zone) { return {card_type, 0, static_cast<uint8_t>(zone)}; }

// The fuse byte starts at 7; the fuses are blown in the order 1, 2, 4, each clearing its bit.
struct FuseStep {
    uint8_t fuse;
    uint8_t fuse_byte_after;
};
constexpr std::array fuse_steps{FuseStep{1, 6}, FuseStep{2, 4}, FuseStep{4, 0}};

Status zone_checks(int16_t zone, int16_t address, int16_t length) {
    return first_failure({
        {length >= 1 && length <= zone_size, Status::bad_length},
        {zone >= 0 && zone < user_zones, Status::bad_address},
        {address >= 0 && address + length <= zone_size, Status::bad_address},
    });
}

}  // namespace

Status read(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer) {
    QL_TRY(zone_checks(zone, address, length));
    return at88sc::read(handle, at88sc::command::read, user_zone(zone), static_cast<uint16_t>(address),
                        static_cast<uint8_t>(length), buffer);
}

Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data) {
    QL_TRY(zone_checks(zone, address, length));
    return at88sc::write(handle, user_zone(zone), static_cast<uint16_t>(address), data, static_cast<size_t>(length));
}

Status read_fuses(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != 1) return Status::bad_length;
    return at88sc::read(handle, at88sc::command::read_fuses, user_zone(0), 0, 1, buffer);
}

Status blow_fuse(int32_t handle, uint8_t fuse) {
    const std::array<uint8_t, 1> value{fuse};
    QL_TRY(at88sc::plain(handle, at88sc::command::blow_fuse, card_type, value));
    uint8_t fuse_byte = 0;
    QL_TRY(read_fuses(handle, 1, &fuse_byte));
    for (const FuseStep& step : fuse_steps)
        if (step.fuse == fuse) return fuse_byte == step.fuse_byte_after ? Status::ok : Status::write_failed;
    return Status::write_failed;
}

Status personalise(int32_t handle) { return blow_fuse(handle, personalisation_fuse); }

}  // namespace quillet::at88sc153

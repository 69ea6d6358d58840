#include "cards/crypto/at88sc1608.h"

#include <algorithm>

#include "core/checks.h"
#include "core/chunks.h"

namespace quillet::at88sc1608 {

namespace {

constexpr uint8_t user_area = 0;

constexpr at88sc::Target user_zone(int zone) { return {card_type, user_area, static_cast<uint8_t>(zone)}; }

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
        QL_TRY(for_each_chunk(address, piece, chunk_size,
                              [&](int a, int count, int p) { return fn(zone, a, count, start + p); }));
        position += piece;
    }
    return Status::ok;
}

}  // namespace

Status read(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer) {
    QL_TRY(zone_checks(zone, address, length, true));
    return across_zones(zone, address, length, [&](int z, int a, int count, int position) {
        return at88sc::read(handle, at88sc::command::read, user_zone(z), static_cast<uint16_t>(a),
                            static_cast<uint8_t>(count), buffer + position);
    });
}

Status write(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data) {
    QL_TRY(zone_checks(zone, address, length, false));
    return across_zones(zone, address, length, [&](int z, int a, int count, int position) {
        return at88sc::write(handle, user_zone(z), static_cast<uint16_t>(a), data + position,
                             static_cast<size_t>(count));
    });
}

Status personalise(int32_t handle) { return at88sc::plain(handle, at88sc::command::blow_fuse, card_type, {}); }

}  // namespace quillet::at88sc1608

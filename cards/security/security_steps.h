// Steps the security memory cards share whatever their frames: counting the 1 bits of a counter
// read from the card, clearing one flag bit, and the fuse byte of a fuse-simulation frame.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "core/status.h"

namespace quillet::security {

inline constexpr int max_counter_bytes = 16;  // the longest counter: 128 bits

// read(out, n) reads the n counter bytes (n <= 16). On success *count is the number of 1 bits
// under `bits` in every byte read; a failed read returns its status and leaves *count alone.
template <typename Read>
Status count_bits(Read&& read, int16_t n, uint8_t bits, int16_t* count) {
    std::array<uint8_t, max_counter_bytes> counter{};
    if (n < 1 || n > max_counter_bytes) return Status::bad_length;
    QL_TRY(read(counter.data(), n));
    int ones = 0;
    for (int i = 0; i < n; ++i) ones += std::popcount(static_cast<uint8_t>(counter[static_cast<size_t>(i)] & bits));
    *count = static_cast<int16_t>(ones);
    return Status::ok;
}

// read(&byte) reads the flag byte, write(&byte) writes it back. The write goes out only when the
// bit is set: a flag already clear costs the card nothing.
template <typename Read, typename Write>
Status clear_flag(Read&& read, Write&& write, uint8_t bit) {
    uint8_t flags = 0;
    QL_TRY(read(&flags));
    if ((flags & bit) == 0) return Status::ok;
    flags = static_cast<uint8_t>(flags & ~bit);
    return write(&flags);
}

// The byte of a fuse-simulation frame: 0xFF asks the reader to simulate a blown fuse (any
// non-zero flag), 0x00 to stop.
constexpr uint8_t fuse_simulation_byte(int16_t flag) { return flag != 0 ? 0xFF : 0x00; }

inline constexpr uint8_t protect_flag = 0x80;
inline constexpr uint8_t read_flag = 0x40;

}  // namespace quillet::security

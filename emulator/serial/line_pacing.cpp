#include "emulator/serial/line_pacing.h"

#include <algorithm>

namespace vreader {

namespace {

constexpr uint64_t bits_per_byte = 10;
constexpr uint64_t bits_per_ms_unit = 1000;  // baud is bits per second

// Milliseconds n bytes take at baud, rounded up.
uint64_t transfer_ms(uint64_t n, uint32_t baud) {
    return (n * bits_per_byte * bits_per_ms_unit + baud - 1) / baud;
}

}  // namespace

LinePacing::Millis LinePacing::frame_arrival(Millis received, size_t frame_bytes, uint32_t baud) const {
    return on_ && baud > 0 ? received + transfer_ms(frame_bytes, baud) : received;
}

void LinePacing::begin(Millis start, uint32_t baud) {
    start_ = start;
    baud_ = baud > 0 ? baud : 9600;
}

size_t LinePacing::due(size_t total, Millis t) const {
    if (t < start_) return 0;
    if (!on_) return total;
    const uint64_t on_line = (t - start_) * baud_ / (bits_per_byte * bits_per_ms_unit);
    return static_cast<size_t>(std::min<uint64_t>(total, on_line));
}

LinePacing::Millis LinePacing::next_due(size_t sent) const {
    return on_ ? start_ + transfer_ms(sent + 1, baud_) : start_;
}

}  // namespace vreader

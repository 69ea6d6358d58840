#include "link/frame.h"

#include <algorithm>

namespace quillet {

uint8_t bcc(std::span<const uint8_t> bytes) {
    uint8_t x = 0;
    for (uint8_t b : bytes) x ^= b;
    return x;
}

Frame::Frame(uint8_t command) {
    buf_[0] = command_lead;
    buf_[1] = command;
}

Frame& Frame::byte(uint8_t b) {
    // One byte stays free for the BCC.
    if (size_ + 1 >= capacity) {
        overflow_ = true;
        return *this;
    }
    buf_[size_++] = b;
    return *this;
}

Frame& Frame::zero(size_t n) {
    for (size_t i = 0; i < n; ++i) byte(0);
    return *this;
}

Frame& Frame::be16(uint16_t v) {
    byte(static_cast<uint8_t>(v >> 8));
    return byte(static_cast<uint8_t>(v));
}

Frame& Frame::data(std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes) byte(b);
    return *this;
}

Frame& Frame::length_high(uint8_t value) {
    length_high_ = value;
    return *this;
}

Frame& Frame::bcc_over(size_t n) {
    bcc_span_ = n;
    return *this;
}

std::span<const uint8_t> Frame::bytes() const {
    const size_t body = size_ - frame_header;
    buf_[2] = length_high_ >= 0 ? static_cast<uint8_t>(length_high_) : static_cast<uint8_t>(body >> 8);
    buf_[3] = static_cast<uint8_t>(body);
    const size_t covered = bcc_span_ ? std::min(bcc_span_, size_) : size_;
    buf_[size_] = bcc(std::span<const uint8_t>(buf_.data(), covered));
    return {buf_.data(), size_ + 1};
}

Reply::Reply(size_t capacity) : capacity_(std::clamp<size_t>(capacity, frame_overhead, max_capacity)) {}

std::span<const uint8_t> Reply::data() const {
    if (received_ <= frame_header) return {};
    const size_t available = received_ - frame_header;
    const size_t n = std::min<size_t>(data_length(), available);
    return {buf_.data() + frame_header, n};
}

size_t Reply::copy_data(uint8_t* out, size_t n, size_t from) const {
    const auto d = data();
    if (from >= d.size()) return 0;
    const size_t count = std::min(n, d.size() - from);
    std::copy_n(d.begin() + static_cast<std::ptrdiff_t>(from), count, out);
    return count;
}

}  // namespace quillet

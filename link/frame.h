// Command frames (library to reader) and reply frames (reader to library): pure byte layouts, no I/O.
//
//   command: AA cmd LH LL body[L] BCC      body[0] is the card type byte
//   reply:   55 status LH LL data[L] BCC   XOR of all bytes is 0
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quillet {

inline constexpr uint8_t command_lead = 0xAA;
inline constexpr uint8_t reply_lead = 0x55;
inline constexpr size_t frame_header = 4;     // lead, command/status, length high, length low
inline constexpr size_t frame_overhead = 5;   // header + BCC

uint8_t bcc(std::span<const uint8_t> bytes);  // XOR of the bytes, 0 for none

// Builds one command frame. Appends past the capacity are dropped and remembered: an overflowing
// frame is never sent (exchange refuses it with bad_length).
class Frame {
public:
    static constexpr size_t capacity = 1100;

    explicit Frame(uint8_t command);
    Frame& type(uint8_t card_type) { return byte(card_type); }
    Frame& byte(uint8_t b);
    Frame& zero(size_t n);
    Frame& be16(uint16_t v);
    Frame& data(std::span<const uint8_t> bytes);
    Frame& data(const uint8_t* bytes, size_t n) { return data(std::span<const uint8_t>(bytes, n)); }
    // Frame byte 2 normally holds the body length's high byte; the processor-card frames put 0x80 there.
    Frame& length_high(uint8_t value);
    // A frame whose BCC covers only its first n bytes (the processor-card block frames).
    Frame& bcc_over(size_t n);

    // The finished frame: length field and BCC filled in.
    std::span<const uint8_t> bytes() const;
    size_t body_length() const { return size_ - frame_header; }
    bool overflowed() const { return overflow_; }

private:
    mutable std::array<uint8_t, capacity> buf_{};
    size_t size_ = frame_header;
    int length_high_ = -1;
    size_t bcc_span_ = 0;   // 0: the whole frame
    bool overflow_ = false;
};

// One received reply frame. The capacity bounds the reception: a reply announcing more data than
// fits is refused without reading past the buffer. Ordinary replies need 160 bytes.
class Reply {
public:
    static constexpr size_t max_capacity = 1100;
    static constexpr size_t ordinary = 160;

    explicit Reply(size_t capacity = ordinary);

    uint8_t status_byte() const { return buf_[1]; }
    uint16_t data_length() const { return static_cast<uint16_t>(buf_[2] << 8 | buf_[3]); }
    // Reply data as received; never longer than what arrived within the capacity.
    std::span<const uint8_t> data() const;
    uint8_t data_byte(size_t i) const { return i < data().size() ? data()[i] : 0; }
    // Copies up to n data bytes to out; returns how many were copied.
    size_t copy_data(uint8_t* out, size_t n, size_t from = 0) const;

    // Used by the receivers.
    std::span<uint8_t> storage() { return {buf_.data(), capacity_}; }
    void set_received(size_t n) { received_ = n; }
    size_t received() const { return received_; }
    std::span<const uint8_t> bytes() const { return {buf_.data(), received_}; }
    size_t capacity() const { return capacity_; }

private:
    std::array<uint8_t, max_capacity> buf_{};
    size_t capacity_;
    size_t received_ = 0;
};

}  // namespace quillet

#include "cards/memory/sle4442.h"

#include <algorithm>
#include <array>

#include "cards/memory/sle_frames.h"
#include "core/checks.h"
#include "core/chunks.h"
#include "reader/conversions.h"

namespace quillet::sle4442 {

namespace {

constexpr uint16_t no_address = 0;

Status memory_checks(int16_t offset, int16_t length, int last_offset) {
    return first_failure({
        {offset >= 0 && offset <= last_offset, Status::bad_address},
        {length >= 1, Status::bad_length},
        {[&] { return length <= memory_size - offset; }, Status::bad_length},
    });
}

Status code_frame(int32_t handle, uint8_t cmd, const uint8_t* code) {
    return sle_frames::write(handle, cmd, card_type, no_address, code, code_size);
}

// Takes at most the caller's six characters (fewer when a zero comes first), upper-cases them in
// place and converts them. Anything but six hexadecimal digits is refused before a frame goes out:
// a half-converted code would cost one of the card's three attempts, or replace its code with one
// nobody knows.
Status code_from_text(uint8_t* text, std::array<uint8_t, code_size>& code) {
    std::array<char, code_text_size + 1> digits{};
    size_t n = 0;
    while (n < code_text_size && text[n] != 0) {
        digits[n] = static_cast<char>(text[n]);
        ++n;
    }
    const Status s = hex_to_bytes(digits.data(), code.data(), code_size);
    std::copy_n(digits.begin(), n, text);
    return s;
}

bool has_protection_bit(const std::array<uint8_t, protection_bytes>& bits, int address) {
    return (bits[static_cast<size_t>(address / 8)] >> (7 - address % 8) & 1) != 0;
}

}  // namespace

Status read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) {
    QL_TRY(memory_checks(offset, length, memory_size - 1));
    return for_each_chunk(offset, length, chunk_size, [&](int address, int count, int position) {
        return sle_frames::read(handle, command::read, card_type, static_cast<uint16_t>(address),
                                static_cast<uint16_t>(count), buffer + position, static_cast<size_t>(count));
    });
}

Status write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    QL_TRY(memory_checks(offset, length, memory_size));
    return for_each_chunk(offset, length, chunk_size, [&](int address, int count, int position) {
        return sle_frames::write(handle, command::write, card_type, static_cast<uint16_t>(address),
                                 data + position, static_cast<size_t>(count));
    });
}

Status read_protection(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != protection_bytes) return Status::bad_length;
    return sle_frames::read(handle, command::read_protection, card_type, no_address, protection_bytes, buffer,
                            protection_bytes);
}

Status protect(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    QL_TRY(first_failure({
        {offset >= 0 && offset < protectable_size, Status::bad_address},
        {length >= 1, Status::bad_length},
        {[&] { return length <= protectable_size - offset; }, Status::bad_length},
    }));
    QL_TRY(sle_frames::write(handle, command::protect, card_type, static_cast<uint16_t>(offset), data,
                             static_cast<size_t>(length)));

    // The reply says only that the reader carried the command out; the card may still have kept a
    // byte writable (it protects a byte only when the data presented match it).
    std::array<uint8_t, protection_bytes> bits{};
    if (failed(read_protection(handle, protection_bytes, bits.data()))) return Status::read_failed;
    for (int a = offset; a < offset + length; ++a)
        if (has_protection_bit(bits, a)) return Status::write_failed;

    std::array<uint8_t, protectable_size> back{};
    if (failed(read(handle, offset, length, back.data()))) return Status::read_failed;
    return std::equal(back.begin(), back.begin() + length, data) ? Status::ok : Status::write_failed;
}

Status present_code(int32_t handle, int16_t length, const uint8_t* code) {
    if (length != code_size) return Status::bad_length;
    return code_frame(handle, command::present_code, code);
}

Status change_code(int32_t handle, int16_t length, const uint8_t* code) {
    if (length != code_size) return Status::bad_length;
    return code_frame(handle, command::write_code, code);
}

Status read_code(int32_t handle, int16_t length, uint8_t* buffer) {
    if (length != code_size) return Status::bad_length;
    // The security memory: error counter, then the three code bytes.
    std::array<uint8_t, 1 + code_size> security{};
    QL_TRY(sle_frames::read(handle, command::read_security, card_type, no_address, security.size(), security.data(),
                            security.size()));
    std::copy_n(security.begin() + 1, code_size, buffer);
    return Status::ok;
}

Status read_error_counter(int32_t handle, int16_t* count) {
    return sle_frames::error_counter(handle, card_type, 1 + code_size, count);
}

Status present_code_text(int32_t handle, uint8_t* text) {
    std::array<uint8_t, code_size> code{};
    QL_TRY(code_from_text(text, code));
    return code_frame(handle, command::present_code, code.data());
}

Status change_code_text(int32_t handle, uint8_t* text) {
    std::array<uint8_t, code_size> code{};
    QL_TRY(code_from_text(text, code));
    return code_frame(handle, command::write_code, code.data());
}

Status read_code_text(int32_t handle, uint8_t* text) {
    std::fill_n(text, code_text_size + 1, uint8_t{0});
    std::array<uint8_t, code_size> code{};
    QL_TRY(read_code(handle, code_size, code.data()));
    bytes_to_hex(code.data(), reinterpret_cast<char*>(text), code_size);
    return Status::ok;
}

Status check_sle4442(int32_t handle) {
    std::array<uint8_t, 2> id{};
    QL_TRY(read(handle, 6, 2, id.data()));
    if (is_registered_code(registered_code_family, id.data(), 2)) return Status::ok;
    constexpr std::array<uint8_t, 3> makers{0x81, 0x88, 0xA0};
    const bool built_in = std::find(makers.begin(), makers.end(), id[0]) != makers.end() && id[1] == 0x15;
    return built_in ? Status::ok : Status::wrong_card;
}

Status check_2042(int32_t handle) {
    std::array<uint8_t, 8> id{};
    QL_TRY(read(handle, 0, 8, id.data()));
    constexpr std::array<uint8_t, 4> head{0xA2, 0x13, 0x10, 0x91};  // bytes 4..5 vary
    const bool match = std::equal(head.begin(), head.end(), id.begin()) && id[6] == 0x82 && id[7] == 0x15;
    return match ? Status::ok : Status::wrong_card;
}

}  // namespace quillet::sle4442

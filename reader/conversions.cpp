#include "reader/conversions.h"

#include <algorithm>
#include <array>
#include <mutex>

#include "link/frame.h"
#include "core/process_state.h"

namespace quillet {

namespace {

constexpr char digits[] = "0123456789ABCDEF";

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A registered list holds at most 20 codes, of two bytes each; the SLE4428 list (family index 6)
// holds 4-byte codes.
constexpr int16_t max_codes = 20;
constexpr int four_byte_code_family = 6;
constexpr size_t code_width(int family) { return family == four_byte_code_family ? 4 : 2; }

// The most bytes hex_text_bcc converts: its text result (bytes, BCC, zero) must fit where the
// text was, and its work area holds 298 bytes.
constexpr int16_t bcc_text_limit = 596;

}  // namespace

Status hex_to_bytes(char* text, uint8_t* out, int32_t count) {
    for (char* p = text; *p; ++p) *p = upper(*p);
    for (int32_t i = 0; i < count; ++i) {
        const int high = digit_value(text[2 * i]);
        if (high < 0) return Status::not_hex;
        const int low = digit_value(text[2 * i + 1]);
        if (low < 0) return Status::not_hex;
        out[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return Status::ok;
}

void bytes_to_hex(const uint8_t* in, char* out, int32_t count) {
    if (count < 0) count = 0;
    for (int32_t i = 0; i < count; ++i) {
        out[2 * i] = digits[in[i] >> 4];
        out[2 * i + 1] = digits[in[i] & 0x0F];
    }
    out[2 * count] = '\0';
}

uint8_t hex_text_bcc(int16_t length, char* text) {
    const int16_t usable = std::clamp<int16_t>(length, 0, bcc_text_limit);
    const int n = usable / 2;
    // Bytes from the first character that is not a hexadecimal digit onward are zero.
    std::array<uint8_t, bcc_text_limit / 2 + 2> work{};
    for (char* p = text; *p; ++p) *p = upper(*p);
    for (int i = 0; i < n; ++i) {
        const int high = digit_value(text[2 * i]);
        if (high < 0) break;
        const int low = digit_value(text[2 * i + 1]);
        if (low < 0) break;
        work[static_cast<size_t>(i)] = static_cast<uint8_t>(high * 16 + low);
    }
    const uint8_t check = bcc(std::span<const uint8_t>(work.data(), static_cast<size_t>(n)));
    work[static_cast<size_t>(n)] = check;
    work[static_cast<size_t>(n) + 1] = 0;
    // The result never runs past the caller's stated length and the text's zero byte.
    std::copy_n(work.begin(), std::min(n + 2, usable + 1), reinterpret_cast<uint8_t*>(text));
    return check;
}

Status register_codes(int16_t family, int16_t count, int16_t byte_count, const uint8_t* codes) {
    if (family < 0 || family >= code_family_count || byte_count < 0) return Status::bad_argument;
    ProcessState& state = process_state();
    const std::lock_guard hold(state.codes_lock);
    CodeList& list = state.registered_codes[static_cast<size_t>(family)];
    const auto n = std::min<size_t>(static_cast<size_t>(byte_count), list.codes.size());
    std::copy_n(codes, n, list.codes.begin());
    // Only the codes whose bytes were given: a count beyond them would register zero bytes, or
    // stale ones of an earlier registration, as codes that the card checks accept.
    const auto given = static_cast<int16_t>(n / code_width(family));
    list.count = std::min(std::clamp<int16_t>(count, 0, max_codes), given);
    return Status::ok;
}

bool is_registered_code(int family, const uint8_t* code, int width) {
    if (family < 0 || family >= code_family_count) return false;
    ProcessState& state = process_state();
    const std::lock_guard hold(state.codes_lock);
    const CodeList& list = state.registered_codes[static_cast<size_t>(family)];
    for (int j = 0; j < list.count && (j + 1) * width <= static_cast<int>(list.codes.size()); ++j)
        if (std::equal(code, code + width, list.codes.begin() + j * width)) return true;
    return false;
}

}  // namespace quillet

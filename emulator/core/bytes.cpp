#include "emulator/core/bytes.h"

#include <charconv>

namespace vreader {

std::string to_hex(std::span<const uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Bytes> from_hex(std::string_view text) {
    Bytes out;
    int pending = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        const int d = hex_digit(c);
        if (d < 0) return std::nullopt;
        if (pending < 0) {
            pending = d;
        } else {
            out.push_back(static_cast<uint8_t>((pending << 4) | d));
            pending = -1;
        }
    }
    if (pending >= 0) return std::nullopt;
    return out;
}

std::optional<uint32_t> parse_number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace vreader

#include "encoding.h"

#include <cstdint>

namespace quillet::ui {
namespace {

constexpr char32_t replacement = 0xFFFD;

std::uint8_t byte_at(std::string_view bytes, std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); }

bool is_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Length of the UTF-8 sequence starting at bytes[i], or 0 when it is not a well-formed sequence.
std::size_t sequence_length(std::string_view bytes, std::size_t i) {
    const std::uint8_t lead = byte_at(bytes, i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07u, minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const std::uint8_t next = byte_at(bytes, i + k);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || is_surrogate(value)) return 0;
    return length;
}

}  // namespace

std::string repair_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = sequence_length(bytes, i);
        if (length == 0) {
            append_utf8(out, replacement);
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

bool is_utf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = sequence_length(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void append_utf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || is_surrogate(c)) c = replacement;
    auto put = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (c < 0x80) {
        put(c);
        return;
    }
    // Lead byte, then six bits a continuation byte, high bits first.
    const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr char32_t lead_marks[] = {0, 0xC0, 0xE0, 0xF0};
    put(lead_marks[continuations] | (c >> (6 * continuations)));
    for (int k = continuations - 1; k >= 0; --k) put(0x80 | ((c >> (6 * k)) & 0x3F));
}

std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    auto unit = [&](std::size_t i) -> char32_t {
        const char32_t first = byte_at(bytes, i);
        const char32_t second = byte_at(bytes, i + 1);
        return big_endian ? (first << 8 | second) : (second << 8 | first);
    };
    const std::size_t whole = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < whole; i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 2 < whole) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        append_utf8(out, is_surrogate(u) ? replacement : u);
    }
    if (whole != bytes.size()) append_utf8(out, replacement);
    return out;
}

std::string decode_text(std::string_view bytes, LegacyDecoder legacy) {
    if (bytes.starts_with("\xFF\xFE")) return utf16_to_utf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return utf16_to_utf8(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (is_utf8(bytes)) return std::string(bytes);
    return legacy != nullptr ? legacy(bytes) : repair_utf8(bytes);
}

}  // namespace quillet::ui

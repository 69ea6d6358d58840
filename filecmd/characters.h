// Character classes shared by the instruction parser and the data builder.
#pragma once

#include <string_view>

namespace quillet::filecmd {

// Blanks, tabs and line ends: dropped inside argument tokens, skipped between data items.
constexpr bool is_line_blank(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

constexpr bool is_decimal_digit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit of either case, or -1.
constexpr int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x" or "0X": the data block's numbers and repeat counts that are hexadecimal.
constexpr bool has_hex_prefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

}  // namespace quillet::filecmd

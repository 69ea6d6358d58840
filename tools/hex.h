// Hexadecimal text in and out, through the library's own conversions (asc_hex, hex_asc).
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet_tool {

// Pairs of hexadecimal digits; blanks and colons between them are allowed ("A2 13:10 91").
// Throws UsageError naming what for an odd count of digits or a character that is not one.
std::vector<uint8_t> parse_hex(std::string_view text, std::string_view what);

// Upper-case digits, two a byte, nothing between.
std::string to_hex(std::span<const uint8_t> bytes);

// 16 bytes a line: the address of the first, the bytes in hex, and the printable characters.
void print_dump(std::FILE* out, std::span<const uint8_t> bytes, long first_address);

}  // namespace quillet_tool

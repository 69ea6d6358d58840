// Pure conversions offered to callers: hexadecimal text, byte images of numbers, BCCs, and the
// registration of extra card identification codes.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet {

// Upper-cases text up to its zero in place, then converts count character pairs into bytes.
Status hex_to_bytes(char* text, uint8_t* out, int32_t count);
// Writes 2 x count upper-case digits and a zero byte.
void bytes_to_hex(const uint8_t* in, char* out, int32_t count);
// Converts the first length hexadecimal characters, appends their BCC and a zero byte, and
// writes the result over the text; returns the BCC.
uint8_t hex_text_bcc(int16_t length, char* text);
// Registers the extra codes of one card family.
Status register_codes(int16_t family, int16_t count, int16_t byte_count, const uint8_t* codes);

// Whether the registered list of a family holds the code (width 2, or 4 for family 6).
bool is_registered_code(int family, const uint8_t* code, int width);

}  // namespace quillet

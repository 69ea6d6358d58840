// Text of the profile file as UTF-8, whatever encoding the file was saved in.
#pragma once

#include <string>
#include <string_view>

namespace quillet::ui {

// Turns bytes of the system's legacy code page (GBK, code page 936) into UTF-8.
using LegacyDecoder = std::string (*)(std::string_view bytes);

bool is_utf8(std::string_view bytes);

// The bytes with every byte that does not start a well-formed UTF-8 sequence replaced by U+FFFD.
std::string repair_utf8(std::string_view bytes);

// UTF-16 bytes (no byte order mark) to UTF-8; unpaired surrogates and a trailing odd byte become U+FFFD.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian);

// A file with a UTF-16 or UTF-8 byte order mark is read as such, a file that is valid UTF-8 as UTF-8,
// and any other file through `legacy` (or with its malformed bytes replaced when there is none).
std::string decode_text(std::string_view bytes, LegacyDecoder legacy);

// Appends the UTF-8 form of one code point (U+FFFD for values that are not scalar values).
void append_utf8(std::string& out, char32_t code_point);

}  // namespace quillet::ui

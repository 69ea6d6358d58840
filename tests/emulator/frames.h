// Command frames for the reader's own tests, with their BCC.
#pragma once

#include <initializer_list>

#include "emulator/core/bytes.h"
#include "emulator/core/command_frame.h"

namespace vreader::testing {

// AA cmd LH LL body BCC (the length from the body).
inline Bytes command(uint8_t cmd, std::initializer_list<uint8_t> body) {
    Bytes f{0xAA, cmd, static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())};
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(xor_of(f));
    return f;
}

inline Bytes command(uint8_t cmd, const Bytes& body) {
    Bytes f{0xAA, cmd, static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())};
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(xor_of(f));
    return f;
}

inline CommandFrame frame(Bytes bytes, bool raw = false) { return CommandFrame{std::move(bytes), raw}; }

// Reader commands with the usual body 80 00 00 AH AL ...
inline Bytes read_memory(uint16_t address, uint16_t count) {
    return command(0xB7, {0x80, 0, 0, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), static_cast<uint8_t>(count >> 8),
                          static_cast<uint8_t>(count)});
}

inline Bytes memory_frame(uint8_t cmd, uint16_t address, const Bytes& data) {
    Bytes body{0x80, 0, 0, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    body.insert(body.end(), data.begin(), data.end());
    return command(cmd, body);
}

inline Bytes version_request(uint8_t n) { return command(0xB0, {0x80, 0, 0, 0, 0, 0, n}); }
inline Bytes card_present_query() { return command(0xB9, {0x80, 0, 0, 0, 0}); }
inline Bytes link_command(uint8_t x) { return command(0xB1, {0x80, 0, 0, 0, 0, x}); }

}  // namespace vreader::testing

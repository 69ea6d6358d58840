// The reader's own memory, as commands B7 (read), B6 (write) and B5 (compare) address it.
//
//   0x0000 .. 0x017F  user area (384 bytes)
//   0x0180            link byte: baud code in bits 0..3, parallel mode in bits 4..7
//                     (0x0 nibble link, 0xF byte link); written only by command B1
//   0x0181            mode byte (0x00 or 0xFF)
//   0x0182 .. 0x0184  device code
//   0x0185 .. 0x0188  stored value, signed 32-bit, least significant byte first
//   0x0190 .. 0x019F  serial number
// The bytes 0x0189 .. 0x018F between them are memory like any other.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "emulator/core/bytes.h"

namespace vreader {

namespace address {
inline constexpr uint16_t user_area = 0x0000;
inline constexpr uint16_t user_area_size = 384;
inline constexpr uint16_t link_byte = 0x0180;
inline constexpr uint16_t mode_byte = 0x0181;
inline constexpr uint16_t device_code = 0x0182;
inline constexpr uint16_t stored_value = 0x0185;
inline constexpr uint16_t serial_number = 0x0190;
inline constexpr uint16_t serial_number_size = 16;
inline constexpr uint16_t end = 0x01A0;
}  // namespace address

// Baud code (low nibble of the link byte) <-> serial rate.
std::optional<uint32_t> baud_of_code(uint8_t code);
std::optional<uint8_t> code_of_baud(uint32_t baud);

enum class ParallelMode { nibble, byte };

class ReaderMemory {
public:
    ReaderMemory();

    static bool in_range(uint32_t start, size_t count) { return start <= address::end && count <= address::end - start; }
    // nullopt when the range leaves the memory.
    std::optional<Bytes> read(uint32_t start, size_t count) const;
    // Raw write (the control channel's): false when out of range.
    bool write(uint32_t start, std::span<const uint8_t> bytes);

    uint8_t at(uint16_t a) const { return bytes_[a]; }
    uint8_t link_byte() const { return bytes_[address::link_byte]; }
    void set_link_byte(uint8_t value) { bytes_[address::link_byte] = value; }
    int32_t stored_value() const;

private:
    std::array<uint8_t, address::end> bytes_{};
};

}  // namespace vreader

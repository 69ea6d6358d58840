// The reader's own memory (its map: wire/reader_protocol.h), with the commands that address it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "emulator/core/bytes.h"
#include "wire/reader_protocol.h"

namespace vreader {

namespace address = quillet::wire::reader_address;

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

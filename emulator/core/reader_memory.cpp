#include "emulator/core/reader_memory.h"

#include <algorithm>
#include <string_view>

namespace vreader {

namespace {
inline constexpr std::array<uint32_t, 9> rates{1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
inline constexpr std::string_view factory_serial = "QVR-000000000001";
}  // namespace

std::optional<uint32_t> baud_of_code(uint8_t code) {
    if (code < 1 || code > rates.size()) return std::nullopt;
    return rates[code - 1];
}

std::optional<uint8_t> code_of_baud(uint32_t baud) {
    const auto it = std::find(rates.begin(), rates.end(), baud);
    if (it == rates.end()) return std::nullopt;
    return static_cast<uint8_t>(it - rates.begin() + 1);
}

ReaderMemory::ReaderMemory() {
    bytes_[address::link_byte] = 0x04;  // 9600 baud, nibble link
    std::copy(factory_serial.begin(), factory_serial.end(), bytes_.begin() + address::serial_number);
}

std::optional<Bytes> ReaderMemory::read(uint32_t start, size_t count) const {
    if (!in_range(start, count)) return std::nullopt;
    return Bytes(bytes_.begin() + start, bytes_.begin() + start + count);
}

bool ReaderMemory::write(uint32_t start, std::span<const uint8_t> bytes) {
    if (!in_range(start, bytes.size())) return false;
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + start);
    return true;
}

int32_t ReaderMemory::stored_value() const {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[address::stored_value + static_cast<size_t>(i)];
    return static_cast<int32_t>(v);
}

}  // namespace vreader

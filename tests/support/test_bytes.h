// Test data the tests write to cards and ciphers: a repeatable pattern and seeded random bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace quillet::test {

// seed + step * i, plus per_page for every 256 bytes before i: the byte tells where it was written,
// and with per_page also in which 256-byte page.
inline std::vector<uint8_t> pattern(size_t n, uint8_t seed, unsigned step = 29, unsigned per_page = 0) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + step * i + per_page * (i / 256));
    return b;
}

// The next n bytes of gen.
inline std::vector<uint8_t> random_bytes(std::mt19937& gen, size_t n) {
    std::vector<uint8_t> b(n);
    for (auto& v : b) v = static_cast<uint8_t>(gen());
    return b;
}

inline std::vector<uint8_t> random_bytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    return random_bytes(gen, n);
}

}  // namespace quillet::test

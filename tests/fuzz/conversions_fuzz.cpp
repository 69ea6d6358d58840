// The hexadecimal and BCC conversions fed with arbitrary text: exact-size heap buffers (ASan sees a
// byte too many), round trips that must hold, and the BCC that must check.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "quillet.h"

namespace {

void require(bool holds) {
    if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const auto count = static_cast<int32_t>(data[0] % 64);
    const std::vector<uint8_t> input(data + 1, data + size);

    // asc_hex reads a zero-terminated text and writes count bytes.
    std::vector<uint8_t> text(input);
    text.push_back(0);
    if (static_cast<size_t>(2 * count) < text.size()) {
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        const int16_t s = asc_hex(text.data(), bytes.data(), count);
        require(s == 0 || s == QL_NOT_HEX);
        if (s == 0) {
            // Back to text: the upper-cased digits asc_hex left in place.
            std::vector<uint8_t> again(static_cast<size_t>(2 * count + 1));
            require(hex_asc(bytes.data(), again.data(), count) == 0);
            for (size_t i = 0; i < again.size() - 1; ++i) require(again[i] == text[i]);
            require(again.back() == 0);
        }
    }

    // hex_asc writes 2 x count digits and a zero byte.
    if (static_cast<size_t>(count) <= input.size()) {
        std::vector<uint8_t> digits(static_cast<size_t>(2 * count + 1));
        require(hex_asc(input.data(), digits.data(), count) == 0);
        std::vector<uint8_t> back(static_cast<size_t>(count));
        require(asc_hex(digits.data(), back.data(), count) == 0);
        for (size_t i = 0; i < back.size(); ++i) require(back[i] == input[i]);
    }

    // A block with its own BCC appended checks.
    std::vector<uint8_t> frame(input);
    if (frame.size() < 0x7FFF) {
        const auto n = static_cast<int16_t>(frame.size());
        frame.push_back(cr_bcc(n, frame.data()));
        require(ck_bcc(static_cast<int16_t>(n + 1), frame.data()) == 0);
    }

    // comm_bcc converts the first length characters in place: the text holds length + 1 bytes.
    if (input.size() <= 700) {
        std::vector<uint8_t> line(input);
        const auto length = static_cast<int16_t>(line.size());
        line.push_back(0);
        comm_bcc(length, line.data());
    }

    // The number images round trip.
    if (input.size() >= 4) {
        int32_t value = 0;
        uchar_long(input.data(), &value);
        uint8_t image[4];
        long_uchar(value, image);
        for (size_t i = 0; i < 4; ++i) require(image[i] == input[i]);
        int16_t small = 0;
        uchar_short(input.data(), &small);
        short_uchar(small, image);
        require(image[0] == input[0] && image[1] == input[1]);
    }
    return 0;
}

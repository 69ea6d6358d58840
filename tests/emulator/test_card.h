// A small card model for the reader's own tests: 16 bytes behind card type byte 0x42.
//   0x61 read (address 7..8, count 9..10), 0x60 write (address 7..8, data from byte 9),
//   0x50 announce a raw data frame 66 data[n] BCC (n in bytes 9..10) written at the address,
//   answer to reset 3B 02 14 50. Power cycles are counted.
#pragma once

#include <algorithm>

#include "emulator/core/card_model.h"

namespace vreader::testing {

class TestCard final : public CardModel {
public:
    static constexpr uint8_t type = 0x42;

    std::string_view family() const override { return "test"; }
    bool accepts(uint8_t card_type) const override { return card_type == type; }

    CardReply handle(const CardCommand& c) override {
        ++handled;
        if (c.command() == 0x61) {
            if (c.address() + c.count() > memory.size()) return CardReply::refuse(status::bad_parameter);
            return CardReply::ok(Bytes(memory.begin() + c.address(), memory.begin() + c.address() + c.count()));
        }
        if (c.command() == 0x60) {
            const auto data = c.write_data();
            if (c.address() + data.size() > memory.size()) return CardReply::refuse(status::bad_parameter);
            std::copy(data.begin(), data.end(), memory.begin() + c.address());
            mark_changed();
            return CardReply::ok();
        }
        if (c.command() == 0x50) {
            raw_address = c.address();
            raw_length = c.count();
            return CardReply::ok();
        }
        return CardReply::refuse(status::unknown_command);
    }

    std::optional<RawFrameSpec> awaited_raw_frame() const override {
        if (!raw_length) return std::nullopt;
        return RawFrameSpec{0x66, *raw_length + 2};
    }
    CardReply handle_raw_frame(std::span<const uint8_t> frame) override {
        const auto data = frame.subspan(1, frame.size() - 2);
        std::copy(data.begin(), data.end(), memory.begin() + raw_address);
        raw_length.reset();
        mark_changed();
        return CardReply::ok();
    }

    void power_on() override { ++power_ons; }
    void power_off() override { ++power_offs; }
    Bytes answer_to_reset() override { return {0x3B, 0x02, 0x14, 0x50}; }

    Bytes contents() const override { return memory; }
    bool load_contents(std::span<const uint8_t> image) override {
        if (image.size() != memory.size()) return false;
        std::copy(image.begin(), image.end(), memory.begin());
        mark_changed();
        return true;
    }

    Bytes memory = Bytes(16, 0x00);
    int handled = 0;
    int power_ons = 0;
    int power_offs = 0;
    uint16_t raw_address = 0;
    std::optional<size_t> raw_length;
};

}  // namespace vreader::testing

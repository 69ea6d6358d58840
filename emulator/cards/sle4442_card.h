// The SLE4442 card and the two cards the host drives like it (frames with card type byte 0x79):
//   - main memory of 256 bytes, bytes 0..7 identifying the card (made protected);
//   - protection memory: one bit per byte 0..31, 1 = writable; protecting a byte compares the
//     data presented with the byte and clears the bit only when they are equal (a mismatch is not
//     reported: the host reads the protection memory back);
//   - security memory: error counter (0x07, three attempts) and a 3-byte code (FF FF FF as made).
//     Writes, protection and code changes need the code presented since power-up; the code bytes
//     read as 00 until then. The SLE4432 has no security memory and takes writes at any time.
// Contents file: main memory (256 bytes), protection memory (4), security memory (4, not on the
// SLE4432). Refusals: sle4442_refusals.h.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "emulator/core/card_model.h"
#include "emulator/cards/sle4442_refusals.h"

namespace vreader {

struct Sle4442Kind {
    std::string_view family;
    std::array<uint8_t, 8> identification;  // main memory bytes 0..7 as made
    bool has_security_memory;
};

inline constexpr Sle4442Kind sle4442_kind{"sle4442", {0xA2, 0x13, 0x10, 0x91, 0xFF, 0xFF, 0x81, 0x15}, true};
inline constexpr Sle4442Kind sle2042_kind{"2042", {0xA2, 0x13, 0x10, 0x91, 0x46, 0x0B, 0x82, 0x15}, true};
inline constexpr Sle4442Kind sle4432_kind{"sle4432", {0xA2, 0x13, 0x10, 0x91, 0xFF, 0xFF, 0x88, 0x15}, false};

class Sle4442Card : public CardModel {
public:
    static constexpr uint8_t card_type = 0x79;
    static constexpr size_t memory_size = 256;
    static constexpr size_t protectable = 32;
    static constexpr size_t code_size = 3;

    explicit Sle4442Card(const Sle4442Kind& kind = sle4442_kind);

    std::string_view family() const override { return kind_.family; }
    bool accepts(uint8_t type) const override { return type == card_type; }
    CardReply handle(const CardCommand& command) override;
    void power_off() override { guard_.forget(); }
    Bytes contents() const override;
    bool load_contents(std::span<const uint8_t> image) override;

private:
    CardReply read(const CardCommand& c) const;
    CardReply write(const CardCommand& c);
    CardReply read_protection(const CardCommand& c) const;
    CardReply protect(const CardCommand& c);
    CardReply present_code(const CardCommand& c);
    CardReply write_code(const CardCommand& c);
    CardReply read_security(const CardCommand& c) const;
    std::optional<sle::Refusal> write_refusal() const;
    bool is_protected(size_t address) const;
    size_t image_size() const;

    const Sle4442Kind& kind_;
    std::array<uint8_t, memory_size> memory_{};
    std::array<uint8_t, 4> protection_{};
    std::array<uint8_t, 1 + code_size> security_{};  // error counter, code
    sle::CodeGuard guard_{0x07};
};

using Sle2042Card = CardOf<Sle4442Card, sle2042_kind>;
using Sle4432Card = CardOf<Sle4442Card, sle4432_kind>;

}  // namespace vreader

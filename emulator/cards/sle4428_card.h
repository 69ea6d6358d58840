// The SLE4428 (card type byte 0x77) and SLE4418 (0x76): 1024 bytes, each with its own protection
// bit (set for good). Bytes 0..3 identify the card (92 23 10 91, made protected).
//   - SLE4428: byte 1021 is the error counter (0xFF, eight attempts), bytes 1022..1023 the
//     security code (FF FF as made). Writes, protected writes, protection and code changes need the
//     code presented since power-up; the code is changed with an ordinary write at 1022 and reads
//     as 00 00 until it was presented. The counter byte takes no writes.
//   - SLE4418: no code; writes are taken at any time; the code commands are unknown to it.
// Protected writes (0x6D) write and protect; protection (0x6F) protects the bytes whose content
// equals the data presented and leaves the others as they are, without a word.
// A protected read (0x6E) answers two bytes per address: the data byte, then the byte's protection
// state, 0x00 protected or 0x01 writable.
// Contents file: the 1024 bytes, then 128 bytes of protection bits (the bit of byte a is bit
// 7 - a % 8 of byte a / 8, 1 = writable). Refusals: sle4442_refusals.h.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "emulator/core/card_model.h"
#include "emulator/cards/sle4442_refusals.h"

namespace vreader {

struct Sle4428Kind {
    std::string_view family;
    uint8_t card_type;
    bool has_security_code;
};

inline constexpr Sle4428Kind sle4428_kind{"sle4428", 0x77, true};
inline constexpr Sle4428Kind sle4418_kind{"sle4418", 0x76, false};

class Sle4428Card : public CardWithLayout<Sle4428Kind> {
public:
    static constexpr size_t memory_size = 1024;
    static constexpr size_t counter_address = 1021;
    static constexpr size_t code_address = 1022;
    static constexpr size_t code_size = 2;

    explicit Sle4428Card(const Sle4428Kind& kind = sle4428_kind);

    CardReply handle(const CardCommand& command) override;
    void power_off() override { guard_.forget(); }
    Bytes contents() const override;
    bool load_contents(std::span<const uint8_t> image) override;

private:
    enum class Change { write, write_and_protect, protect };

    CardReply read(const CardCommand& c, bool with_protection) const;
    CardReply change(const CardCommand& c, Change what);
    CardReply present_code(const CardCommand& c);
    CardReply read_counter() const;
    uint8_t shown(size_t address) const;       // the code bytes stay hidden until presented
    bool reserved(size_t address, Change what) const;
    bool is_protected(size_t address) const;
    void set_protected(size_t address);

    std::array<uint8_t, memory_size> memory_{};
    std::array<uint8_t, memory_size / 8> writable_{};  // protection bits, 1 = writable
    sle::CodeGuard guard_{0xFF};
};

using Sle4418Card = CardOf<Sle4428Card, sle4418_kind>;

}  // namespace vreader

// The SLE4406 counter card and the SLE4436, which the host drives with the same frames (card type
// byte 0x7B): 13 bytes of EEPROM.
//   0..1   identification, never written
//   2..7   issuer data
//   8..12  the counter: five stages of one byte, byte 8 the highest; bit 7 of byte 8 is the
//          personalisation bit and no part of the counter
//   9      before personalisation: the error counter (0xFF, eight attempts), kept by the card
//   10..12 before personalisation: the 3-byte security code (transport code, FF FF FF as made),
//          reading as 00 until it was presented since power-up
// Before personalisation (bit 7 of byte 8 set) every write needs the code presented since
// power-up (and attempts left), and replaces the bytes: the card erases and writes them in one go.
// A wrong code clears one bit of the error counter, the right one sets all eight again; with none
// left no code is taken and nothing can be written, for good. Clearing bit 7 of byte 8 issues the
// card.
// Once issued, the issuer data is read only, the code is gone (a presentation is refused) and
// bytes 8..12 are the counter: anyone may write them, and a write only clears bits. A counter step
// (command 0x70 on byte 8..12) clears the lowest 1 bit of that stage (bits 0..6 of byte 8) and sets
// every stage below it to FF; a stage with no 1 bit left takes no step. The counter's value, in
// units: the 1 bits of each stage, a unit of a stage worth nine of the stage below (its eight bits
// refilled plus the unit the step spends), so that every step and every write only lowers it.
// Contents file: the 13 bytes. Refusals: security_refusals.h.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "emulator/core/card_model.h"
#include "emulator/cards/security_refusals.h"

namespace vreader {

struct CounterCardKind {
    std::string_view family;
    std::array<uint8_t, 2> identification;  // bytes 0..1
};

inline constexpr CounterCardKind sle4406_kind{"sle4406", {0x98, 0x20}};
inline constexpr CounterCardKind sle4436_kind{"sle4436", {0xE8, 0x31}};

class Sle4406Card : public CardModel {
public:
    static constexpr uint8_t card_type = 0x7B;
    static constexpr size_t memory_size = 13;
    static constexpr size_t counter_start = 8;
    static constexpr size_t error_counter = 9;
    static constexpr size_t code_start = 10;
    static constexpr size_t code_size = 3;
    static constexpr uint8_t personalisation_bit = 0x80;

    explicit Sle4406Card(const CounterCardKind& kind = sle4406_kind);

    std::string_view family() const override { return kind_.family; }
    bool accepts(uint8_t type) const override { return type == card_type; }
    CardReply handle(const CardCommand& command) override;
    void power_off() override { code_presented_ = false; }
    Bytes contents() const override { return Bytes(memory_.begin(), memory_.end()); }
    bool load_contents(std::span<const uint8_t> image) override;

private:
    CardReply read(const CardCommand& c) const;
    CardReply write(const CardCommand& c);
    CardReply present_code(const CardCommand& c);
    CardReply counter_step(const CardCommand& c);

    bool issued() const { return (memory_[counter_start] & personalisation_bit) == 0; }
    std::optional<security::Refusal> write_refusal(size_t address) const;

    const CounterCardKind& kind_;
    std::array<uint8_t, memory_size> memory_{};
    bool code_presented_ = false;
};

struct Sle4436Card final : Sle4406Card {
    Sle4436Card() : Sle4406Card(sle4436_kind) {}
};

}  // namespace vreader

// The fused security memories: SLE4404 (card type byte 0x7A), AT88SC101 (0x71) and AT88SC102
// (0x72). One model serves the three; their layouts differ only in numbers (one row each below).
//
// The memory is EEPROM: a write only clears bits (the byte becomes old AND new), an erase sets
// bytes to FF. Every card has, in this order: two identification bytes; the issuer data; the
// security code with its error counter; a code-protected area; one application area (the AT88SC102
// two), each starting with its flag byte (bit 7 protect flag, bit 6 read flag) and followed by its
// erase code and, on all but the AT88SC102's first area, an erase counter; the AT88SC cards end
// with a memory test area.
//
// The card is issued once its fuse is blown (personalisation, which needs the security code) or
// while the reader simulates a blown fuse (command 0x80 with a non-zero byte; blowing the fuse
// cannot be undone, the simulation can). Rules by area, before issue / once issued:
//   identification        never written or erased
//   issuer data           written and erased with the security code / read only
//   security code         written and erased with the security code / the same, and it reads as
//                         00 until the security code was presented
//   error counter         kept by the card: never written or erased by the host
//   code-protected area   written and erased with the security code, always
//   application area      written and erased with the security code / written with the security
//                         code and erased with the area's erase code, both only while the protect
//                         flag is set (a clear protect flag freezes the area, flag byte included);
//                         while the read flag is clear its bytes after the flag byte read as 00
//                         until the security code was presented
//   erase code            written and erased with the security code / with that erase code, and
//                         it reads as 00 until that erase code was presented
//   erase counter         written and erased with the security code / kept by the card
//   memory test area      free at all times
// "With the code" means: presented since power-up, and the error counter not used up (locked).
// Security code: the error counter (SLE4404 bits 4..7 of byte 10, AT88SC101 byte 12, AT88SC102
// bits 4..7 of byte 12) holds one 1 bit per attempt left; a wrong code clears one, the right code
// sets them all again. Erase code: every presentation, right or wrong, first takes one bit of the
// area's erase counter (64 on the SLE4404, 128 on the AT88SC cards); when none is left the erase
// code is no longer taken. The AT88SC102's first area has no erase counter. The right erase code
// opens its area for erasing until power is lost.
// The code-area write (0x66, AT88SC cards only) reaches only the security code and erase codes.
// The zone byte of the AT88SC102's frames chooses the erase code a presentation is for; the
// absolute address of the other frames decides everything else.
// Contents file: the memory, then one fuse byte (FF intact, 00 blown). Codes and counters as
// made: all FF. Refusals: security_refusals.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "emulator/core/card_model.h"
#include "emulator/cards/security_refusals.h"

namespace vreader {

// Card bytes [start, start + size).
struct ByteRun {
    size_t start;
    size_t size;
    bool contains(size_t address) const { return address >= start && address - start < size; }
};

struct ApplicationArea {
    ByteRun data;  // the flag byte first
    ByteRun erase_code;
    ByteRun erase_counter;  // empty: presentations of the erase code are not counted
};

struct SecurityMemoryLayout {
    std::string_view family;
    uint8_t card_type;
    size_t memory_size;
    std::array<uint8_t, 2> identification;  // bytes 0..1 as made
    ByteRun issuer;
    ByteRun security_code;
    ByteRun error_counter;  // its first byte counts, in error_counter_bits
    uint8_t error_counter_bits;
    ByteRun code_protected;
    std::array<ApplicationArea, 2> areas;
    size_t area_count;
    ByteRun test_area;
    uint8_t personalise_command;
    bool has_code_area_write;
};

inline constexpr SecurityMemoryLayout sle4404_layout{
    .family = "sle4404",
    .card_type = 0x7A,
    .memory_size = 52,
    .identification = {0xB7, 0xA0},
    .issuer = {2, 6},
    .security_code = {8, 2},
    .error_counter = {10, 1},
    .error_counter_bits = 0xF0,
    .code_protected = {11, 3},
    .areas = {{{{14, 26}, {40, 4}, {44, 8}}}},
    .area_count = 1,
    .test_area = {52, 0},
    .personalise_command = 0x71,
    .has_code_area_write = false,
};
inline constexpr SecurityMemoryLayout at88sc101_layout{
    .family = "at88sc101",
    .card_type = 0x71,
    .memory_size = 172,
    .identification = {0x0F, 0x0F},
    .issuer = {2, 8},
    .security_code = {10, 2},
    .error_counter = {12, 2},
    .error_counter_bits = 0xFF,
    .code_protected = {14, 8},
    .areas = {{{{22, 128}, {150, 4}, {154, 16}}}},
    .area_count = 1,
    .test_area = {170, 2},
    .personalise_command = 0x73,
    .has_code_area_write = true,
};
inline constexpr SecurityMemoryLayout at88sc102_layout{
    .family = "at88sc102",
    .card_type = 0x72,
    .memory_size = 178,
    .identification = {0x71, 0x55},
    .issuer = {2, 8},
    .security_code = {10, 2},
    .error_counter = {12, 2},
    .error_counter_bits = 0xF0,
    .code_protected = {14, 8},
    .areas = {{{{22, 64}, {86, 6}, {}}, {{92, 64}, {156, 4}, {160, 16}}}},
    .area_count = 2,
    .test_area = {176, 2},
    .personalise_command = 0x73,
    .has_code_area_write = true,
};

class SecurityMemoryCard : public CardWithLayout<SecurityMemoryLayout> {
public:
    static constexpr uint8_t protect_flag = 0x80;
    static constexpr uint8_t read_flag = 0x40;
    static constexpr uint8_t hidden = 0x00;  // what a byte the card keeps from the host reads as
    static constexpr uint8_t fuse_intact = 0xFF;
    static constexpr uint8_t fuse_blown = 0x00;

    explicit SecurityMemoryCard(const SecurityMemoryLayout& layout);

    CardReply handle(const CardCommand& command) override;
    void power_off() override;
    Bytes contents() const override;
    bool load_contents(std::span<const uint8_t> image) override;

private:
    enum class Change { write, code_area_write, erase };

    CardReply read(const CardCommand& c) const;
    CardReply change(const CardCommand& c, Change what);
    CardReply present_code(const CardCommand& c);
    CardReply present_erase_code(const CardCommand& c);
    CardReply simulate_fuse(const CardCommand& c);
    CardReply personalise();

    bool issued() const { return fuse_blown_ || fuse_simulated_; }
    uint8_t shown(size_t address) const;
    std::optional<security::Refusal> refusal(size_t address, Change what) const;
    std::optional<security::Refusal> needs_code() const;
    std::optional<security::Refusal> needs_erase_code(size_t area) const;
    std::optional<size_t> area_of(size_t address) const;  // the application area the byte belongs to
    bool flag_clear(size_t area, uint8_t flag) const;

    Bytes memory_;
    bool fuse_blown_ = false;
    bool fuse_simulated_ = false;  // the reader's fuse simulation: not part of the card's image
    bool code_presented_ = false;
    std::array<bool, 2> erase_code_presented_{};
};

// One catalog entry per card.
template <const SecurityMemoryLayout& Layout>
struct SecurityMemoryCardOf final : SecurityMemoryCard {
    SecurityMemoryCardOf() : SecurityMemoryCard(Layout) {}
};

}  // namespace vreader

// The AT88SC1604 security memory card in its three variants (frames with card type byte 0x73,
// variant byte in frame byte 5): one model, one layout row per variant below, written from the
// chips' memory maps. 2048 bytes, all addresses absolute:
//   zone 0: identification bytes 0..1 (fixed), issuer bytes 2..9, the zone-0 security code
//           10..11, its error counter 12, code-protected bytes 13..20;
//   zones 1..4: a code block (security code, error counter where the variant has one, erase
//           code, erase counter) just in front of the zone's data; the first data byte holds the
//           zone's protect flag (bit 7) and read flag (bit 6).
// Bytes outside every zone (beyond zone 4) are spare.
//
// As the chips do: a write only clears bits (an erased byte reads FF, and writing d into a byte b
// leaves b AND d); an erase sets bytes to FF. The plain write (0x60) and the code-area write
// (0x66) are carried out alike. As made: every code FF FF, error counters 0F (four attempts),
// erase counters FF (eight erases), data FF, fuse intact.
//
// Two security levels:
//   - before personalisation (fuse intact, reader's fuse simulation off): everything reads as
//     stored; every write and erase (except of the identification bytes, never) needs the zone-0
//     security code presented;
//   - personalised (fuse blown, or the reader's fuse simulation on): zone 0 bytes 2..9, the
//     counters and the spare bytes are kept; a zone's security code is written and erased with
//     that code presented (zone 0's also bytes 13..20); a zone's erase code with the erase code
//     presented; a zone's data is written with its security code presented while its protect flag
//     is 1, erased with its erase code presented, and read freely while its read flag is 1 (with
//     the security code presented when 0). Codes read as 00 00 until presented. Each presentation
//     of an erase code uses one bit of the zone's erase counter.
// A code presentation checks the code: right, it opens the zone until power is lost and refills
// the error counter; wrong, it closes the zone and clears one bit of the error counter where the
// zone has one. A used-up counter refuses the code and the zone's writes. Personalising (0x73 at
// the variant's address) needs the zone-0 security code and blows the fuse for good; command 0x80
// switches the reader's fuse simulation (frame byte 9 not 0: on), which a power loss keeps.
//
// The variant's long operations (writes and code-area writes on the AT88SC1604, erases and writes
// on the AT88SC1604B and AT88SC1604C) keep the card busy for its programming time before the
// reply: 2.5 s as made, longer than the host's normal reply wait on a serial link.
// Contents file: the 2048 bytes, then the fuse byte (FF intact, anything else blown; 00 when the
// card blew it). Refusals:
// at88sc1604_refusals.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "emulator/cards/at88sc1604_refusals.h"
#include "emulator/core/card_model.h"

namespace vreader {

struct At88sc1604Layout {
    // Absolute addresses of one zone's code block (zone 0: only the security code and its counter).
    struct CodeBlock {
        uint16_t security_code;
        std::optional<uint16_t> error_counter;
        std::optional<uint16_t> erase_code;
        std::optional<uint16_t> erase_counter;
    };
    struct Span {
        uint16_t first;
        uint16_t last;
    };

    std::string_view family;
    uint8_t variant_byte;
    uint8_t security_code_variant_byte;  // of the present-security-code frame
    std::array<uint8_t, 2> identification;
    std::array<Span, 5> data;  // zone 0: the bytes a plain write reaches (their roles are alike on every variant)
    std::array<CodeBlock, 5> blocks;
    uint16_t personalise_address;
    std::array<uint8_t, 2> long_commands;  // the commands that program for the programming time
};

// Zone 0 and the code block of zone 1 sit at the same addresses on every variant.
inline constexpr At88sc1604Layout::Span at88sc1604_zone0_data{0, 20};
inline constexpr At88sc1604Layout::CodeBlock at88sc1604_zone0_block{10, 12, std::nullopt, std::nullopt};
inline constexpr At88sc1604Layout::CodeBlock at88sc1604_zone1_block{21, 23, 24, 26};

inline constexpr At88sc1604Layout at88sc1604_layout{
    .family = "at88sc1604",
    .variant_byte = 0x00,
    .security_code_variant_byte = 0x00,
    .identification = {0x16, 0x3A},
    .data = {{at88sc1604_zone0_data, {27, 1221}, {1227, 1482}, {1488, 1743}, {1749, 2006}}},
    .blocks = {{
        at88sc1604_zone0_block,
        at88sc1604_zone1_block,
        {1222, std::nullopt, 1224, 1226},
        {1483, std::nullopt, 1485, 1487},
        {1744, std::nullopt, 1746, 1748},
    }},
    .personalise_address = 0x07F4,
    .long_commands = {0x60, 0x66},  // write, code-area write
};

inline constexpr At88sc1604Layout at88sc1604b_layout{
    .family = "at88sc1604b",
    .variant_byte = 0x0B,
    .security_code_variant_byte = 0x0B,
    .identification = {0x72, 0x55},
    .data = {{at88sc1604_zone0_data, {27, 538}, {545, 1056}, {1063, 1574}, {1581, 2041}}},
    .blocks = {{
        at88sc1604_zone0_block,
        at88sc1604_zone1_block,
        {539, 541, 542, 544},
        {1057, 1059, 1060, 1062},
        {1575, 1577, 1578, 1580},
    }},
    .personalise_address = 0x07FC,
    .long_commands = {0x60, 0x76},  // write, erase
};

inline constexpr At88sc1604Layout at88sc1604c_layout{
    .family = "at88sc1604c",
    .variant_byte = 0x0B,
    .security_code_variant_byte = 0x00,
    .identification = {0x72, 0x55},
    .data = {{at88sc1604_zone0_data, {27, 538}, {544, 1055}, {1061, 1572}, {1578, 2037}}},
    .blocks = {{
        at88sc1604_zone0_block,
        at88sc1604_zone1_block,
        {539, std::nullopt, 541, 543},
        {1056, std::nullopt, 1058, 1060},
        {1573, std::nullopt, 1575, 1577},
    }},
    .personalise_address = 0x07FC,
    .long_commands = {0x60, 0x76},  // write, erase
};

class At88sc1604Card : public CardModel {
public:
    static constexpr uint8_t card_type = 0x73;
    static constexpr size_t memory_size = 2048;
    static constexpr uint32_t made_programming_ms = 2500;
    static constexpr uint8_t full_error_counter = 0x0F;
    static constexpr uint8_t full_erase_counter = 0xFF;
    static constexpr uint8_t intact_fuse = 0xFF;

    explicit At88sc1604Card(const At88sc1604Layout& layout = at88sc1604_layout,
                            uint32_t programming_ms = made_programming_ms);

    std::string_view family() const override { return layout_.family; }
    bool accepts(uint8_t type) const override { return type == card_type; }
    CardReply handle(const CardCommand& command) override;
    void power_off() override;
    Bytes contents() const override;
    bool load_contents(std::span<const uint8_t> image) override;

private:
    // What a byte is, and the zone whose rules apply to it.
    enum class Kind : uint8_t {
        identification,
        issuer,
        security_code,
        error_counter,
        erase_code,
        erase_counter,
        code_protected,
        data,
        spare
    };
    struct Role {
        Kind kind = Kind::spare;
        uint8_t zone = 0;
    };

    CardReply read(const CardCommand& c) const;
    CardReply program(const CardCommand& c, bool erasing);
    CardReply present_security_code(const CardCommand& c);
    CardReply present_erase_code(const CardCommand& c);
    CardReply personalise(const CardCommand& c);
    CardReply busy(CardReply reply, uint8_t command) const;

    std::optional<at88sc1604::Refusal> change_refusal(size_t address, bool erasing) const;
    std::optional<at88sc1604::Refusal> zone_write_refusal(int zone) const;
    std::optional<at88sc1604::Refusal> read_refusal(size_t address) const;
    bool hidden(size_t address) const;
    bool fuse_blown() const { return fuse_ != intact_fuse; }
    bool personalised() const { return fuse_blown() || fuse_simulation_; }
    bool counter_used_up(std::optional<uint16_t> counter) const;
    uint8_t flags_of(int zone) const { return memory_[layout_.data[static_cast<size_t>(zone)].first]; }

    const At88sc1604Layout& layout_;
    uint32_t programming_ms_;
    std::array<Role, memory_size> roles_{};
    std::array<uint8_t, memory_size> memory_{};
    uint8_t fuse_ = intact_fuse;
    bool fuse_simulation_ = false;  // the reader's, not the card's: kept across power loss
    std::array<bool, 5> security_presented_{};
    std::array<bool, 5> erase_presented_{};
};

struct At88sc1604bCard final : At88sc1604Card {
    At88sc1604bCard() : At88sc1604Card(at88sc1604b_layout) {}
};
struct At88sc1604cCard final : At88sc1604Card {
    At88sc1604cCard() : At88sc1604Card(at88sc1604c_layout) {}
};

}  // namespace vreader

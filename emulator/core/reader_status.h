// The status bytes the virtual reader answers with: reply byte 1 of every reply frame. This one
// table is the reader's whole vocabulary of refusals; card models use its card rows (and may add
// rows of their own here, one line each).
//
// The host reports status byte s as -s, so a reader byte can read like one of the library's own
// statuses (0x84 would look like its time-out, 0x8A like its BCC error). The values below keep
// clear of those the host meets in normal work. 0x83 is not used by the reader on its own
// (the fault plan can send it); 0x86 and 0x89 are the two "slot empty" answers to the
// card-present query; 0x94 is the busy answer of flash cards that the host retries.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vreader {

namespace status {
inline constexpr uint8_t ok = 0x00;
inline constexpr uint8_t bad_bcc = 0x82;        // command frame's XOR check failed; nothing done
inline constexpr uint8_t empty_86 = 0x86;       // card-present query: slot empty (one reader kind)
inline constexpr uint8_t no_card = 0x89;        // slot empty: card command without a card; also
                                                // the other kind's answer to the card-present query
inline constexpr uint8_t unknown_command = 0x8B;  // command byte unknown for the addressed target
inline constexpr uint8_t bad_parameter = 0x8C;    // address, count or body length out of range
inline constexpr uint8_t read_only = 0x91;      // memory write touches the link byte (only B1 writes it)
inline constexpr uint8_t mismatch = 0x92;       // compare: the bytes differ from the reader's memory
inline constexpr uint8_t card_mute = 0x93;      // the card does not answer (no answer to reset)
inline constexpr uint8_t card_busy = 0x94;      // the card is still programming; try again
inline constexpr uint8_t card_refused = 0x96;   // the card refused: protected or locked area
inline constexpr uint8_t code_wrong = 0x97;     // security or erase code presented was wrong
inline constexpr uint8_t card_locked = 0x98;    // error counter exhausted: the card no longer accepts codes
inline constexpr uint8_t code_not_presented = 0x99;  // a write or code change before the code was presented
}  // namespace status

struct StatusRow {
    uint8_t value;
    std::string_view name;
    std::string_view meaning;
};

inline constexpr std::array status_table{
    StatusRow{status::ok, "ok", "command carried out"},
    StatusRow{status::bad_bcc, "bad_bcc", "command frame's BCC wrong; nothing done"},
    StatusRow{status::empty_86, "empty_86", "card-present query on an empty slot (reader kind 86)"},
    StatusRow{status::no_card, "no_card", "no card in the addressed slot; card-present query on an empty slot (reader kind 89)"},
    StatusRow{status::unknown_command, "unknown_command", "command byte unknown for the addressed target"},
    StatusRow{status::bad_parameter, "bad_parameter", "address, count or body length out of range"},
    StatusRow{status::read_only, "read_only", "memory write touches the link byte, which only command B1 writes"},
    StatusRow{status::mismatch, "mismatch", "compared bytes differ from the reader's memory"},
    StatusRow{status::card_mute, "card_mute", "the card does not answer (no answer to reset)"},
    StatusRow{status::card_busy, "card_busy", "the card is still programming"},
    StatusRow{status::card_refused, "card_refused", "the card refused the operation: protected or locked area"},
    StatusRow{status::code_wrong, "code_wrong", "the security or erase code presented was wrong"},
    StatusRow{status::card_locked, "card_locked", "error counter exhausted: no more code attempts"},
    StatusRow{status::code_not_presented, "code_not_presented", "a write or code change before the right code was presented"},
};

inline std::optional<uint8_t> status_by_name(std::string_view name) {
    for (const auto& row : status_table)
        if (row.name == name) return row.value;
    return std::nullopt;
}

}  // namespace vreader

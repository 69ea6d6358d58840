// Cell access shared by the serial EEPROM cards, the two-wire (24Cxx) and the three-wire (93Cxx)
// families alike: range checks, reads and writes cut into frames of 144 units, and the single-cell
// and wrap tests from which the card checks judge a card's size.
//
//   read:  AA 61 00 07 T 00 00 addrH addrL 00 n BCC
//   write: AA W 00 (k+5) T 00 00 addrH addrL data[k] BCC     k = n x unit bytes
//
// Every reply is awaited with the normal wait.
#pragma once

#include <cstdint>
#include <optional>

#include "core/status.h"

namespace quillet::eeprom_cells {

inline constexpr uint8_t read_command = 0x61;
inline constexpr int chunk_units = 144;
inline constexpr int max_unit_bytes = 2;

// How one size of card is addressed. Sizes that differ only in these numbers share all code.
struct Layout {
    uint8_t card_type;
    int capacity;       // in units
    int unit_bytes;     // 1, or 2 for word-organised cards (offsets and lengths count words)
    int address_bytes;  // 1: frame byte 7 is 0, byte 8 the address; 2: bytes 7..8, high first
    uint8_t write_command;
    Status read_past_end;   // a read whose length runs past the last cell
    Status write_past_end;  // the same for a write
};

// offset 0..capacity-1 (bad_address); length >= 1 (bad_length); length <= capacity - offset
// (the layout's past-end status). Nothing is sent when a check fails.
Status read(int32_t handle, const Layout& layout, int offset, int length, uint8_t* buffer);
Status write(int32_t handle, const Layout& layout, int offset, int length, const uint8_t* data);

// Reads one cell, writes it plus 1 (every byte of the unit), reads it back and compares the first
// byte, then writes the saved cell back. False on any failure or difference; a write that was
// attempted is always followed by the write-back.
bool holds_writes(int32_t handle, const Layout& layout, int address);

// Judges whether `high` and the low address(es) are distinct cells: a value written at `high`
// must read back there and must not show at any low address (it does when the card is smaller
// and its address lines wrap). The value is one more than the byte at the first low address, or
// than the byte at `high` when value_from_top is set, and once more when that matches a byte
// already held at a low address, so it always differs from what every low address holds.
struct WrapProbe {
    int high;
    int low;
    std::optional<int> second_low;
    bool value_from_top = false;
};

// The probe in two steps, so that a check can save further cells between the reads and the
// writes. The first reads `high` and the low addresses; nullopt when a read fails.
struct ProbeStart {
    uint8_t saved;
    uint8_t low_value;
    uint8_t second_low_value;
};
std::optional<ProbeStart> start_probe(int32_t handle, const Layout& layout, const WrapProbe& probe);
// Writes the value at `high`, reads `high` and the low addresses, writes the saved byte back.
// True when the cells are distinct and every exchange succeeded.
bool finish_probe(int32_t handle, const Layout& layout, const WrapProbe& probe, const ProbeStart& start);
bool cells_distinct(int32_t handle, const Layout& layout, const WrapProbe& probe);

}  // namespace quillet::eeprom_cells

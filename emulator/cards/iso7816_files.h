// The file system of the virtual processor card (ISO/IEC 7816-4): the MF 3F00, dedicated files
// with an optional name (AID), transparent files and linear fixed record files with their access
// rules, the PINs with their retry counters and the answer to reset; and its text description,
// which is the card's contents file:
//
//   # a comment runs to the end of the line; blank lines are ignored
//   atr 3B 95 11 81 31 FE 45 80 43 51 56 52 19        answer to reset, 2..33 bytes
//   pin 01 tries=3 left=3 value=31323334              PIN reference (hex), retries, value 1..16 bytes
//   df 3F00/5F10 name=F0515652                        a DF (the MF 3F00 always exists)
//   binary 3F00/5F10/0101 read=always update=pin01 data=5155494C4C4554   (size=N pads with 00)
//   record 3F00/5F10/0103 read=always update=pin01 data=...   one line per record, equal lengths
//
// A PATH is the file identifiers from 3F00 down, in hex, joined by '/'; a DF comes before its
// files. ACCESS is always, never or pinXX (the PIN with reference XX presented since the reset).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/core/bytes.h"

namespace vreader::iso7816 {

inline constexpr uint16_t mf_id = 0x3F00;
inline constexpr size_t atr_min = 2;
inline constexpr size_t atr_max = 33;
inline constexpr size_t name_max = 16;
inline constexpr size_t pin_max = 16;
inline constexpr uint8_t tries_max = 15;
inline constexpr size_t transparent_max = 0x7FFF;  // offsets are 15 bits
inline constexpr size_t record_max = 255;
inline constexpr size_t records_max = 254;

enum class FileKind { dedicated, transparent, records };

struct Access {
    enum class Rule { always, never, pin };
    Rule rule = Rule::always;
    uint8_t pin = 0;  // the PIN reference of Rule::pin
};

struct CardFile {
    FileKind kind = FileKind::dedicated;
    uint16_t id = 0;
    int parent = -1;  // index of the parent DF; -1 for the MF
    Bytes name;       // DF name; empty: none
    Bytes data;       // transparent file
    std::vector<Bytes> records;
    Access read;
    Access update;
};

struct Pin {
    uint8_t reference = 0;
    Bytes value;
    uint8_t tries = 3;  // the retry counter after a right presentation
    uint8_t left = 3;
};

struct CardImage {
    Bytes atr;
    std::vector<Pin> pins;
    std::vector<CardFile> files;  // files[0] is the MF; a DF always comes before its files

    int find_child(int df, uint16_t id) const;  // -1: none
    Pin* find_pin(uint8_t reference);
};

// A fresh card: the description shipped as examples/cpu_card.txt.
CardImage factory_image();
std::optional<CardImage> parse_description(std::string_view text, std::string& error);
std::string describe(const CardImage& image);

}  // namespace vreader::iso7816

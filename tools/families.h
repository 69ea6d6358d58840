// The card families of the tool, one row each, built from the family catalogue
// (quillet_families.h): names, sizes, zones and the library calls, each call shape wrapped into
// one signature so that the commands treat every family alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "quillet.h"

namespace quillet_tool {

// Where a transfer starts: zone (or page on the flash cards; 0 on a flat card) and offset.
using ReadCall = int16_t (*)(int32_t handle, int16_t zone, int16_t offset, int32_t length, uint8_t* buffer);
using WriteCall = int16_t (*)(int32_t handle, int16_t zone, int16_t offset, int32_t length, const uint8_t* data);

// Which code of a card: the zone on cards with a code per zone, the password set and which of its
// two passwords (0 the first) on cards with password sets. Cards with one code ignore all three.
struct CodeTarget {
    int16_t zone = 0;
    int16_t set = 0;
    int16_t selector = 0;
};

struct CodeCalls {
    int16_t (*present)(int32_t handle, CodeTarget target, int16_t length, const uint8_t* code) = nullptr;
    int16_t (*change)(int32_t handle, CodeTarget target, int16_t length, const uint8_t* code) = nullptr;
    int16_t (*counter)(int32_t handle, CodeTarget target, int* value) = nullptr;
    const char* present_name = nullptr;
    const char* change_name = nullptr;
    const char* counter_name = nullptr;
    int bytes = 0;          // the code's length; 0: the zone's (erase codes per zone)
    bool per_zone = false;  // the calls take the zone
    int sets = 0;           // password sets; 0: none

    explicit operator bool() const { return present != nullptr; }
};

struct Zone {
    long size;
    long read_end;   // largest offset + length of a read starting in the zone
    long write_end;  // the same for a write
    int erase_code;  // bytes of the zone's erase code, 0 for none
};

enum class Shape { flat, zoned, paged };

struct Family {
    std::string_view name;
    std::string_view alias;  // "" for none
    int16_t card_type = 0;   // chk_card's number, 0 when it does not try the family
    Shape shape = Shape::flat;
    int unit_bytes = 1;      // bytes of one addressed unit: 2 for a card addressed in 16-bit words
    long units = 0;          // the card's size in units
    int zones = 0;           // zones, or pages of the flash cards
    int counter_max = 0;     // the error counter's highest value
    bool raw_counter = false;  // the counter is the card's byte, not a number of attempts
    ReadCall read = nullptr;
    WriteCall write = nullptr;
    const char* read_name = nullptr;
    const char* write_name = nullptr;
    int16_t (*check)(int32_t handle) = nullptr;
    const char* check_name = nullptr;
    bool check_identifies = true;  // false: the check accepts any card
    CodeCalls code;   // the security code or passwords
    CodeCalls erase;  // the erase codes
    int number = -1;  // the family's number in the catalogue

    bool addressed_by_zone() const { return shape != Shape::flat; }
    long page_size() const { return shape == Shape::paged ? units / zones : 0; }
    // The zone's row; nullptr on cards without zones or outside them.
    const Zone* zone(long zone_number) const;
};

std::span<const Family> families();
// The family called name in any letter case, by its name or its alias; nullptr for none.
const Family* find_family(std::string_view name);
const Family* family_of_card_type(int16_t card_type);
// "sle4442 2042 ..." for messages: every family, or those with a code of their own.
std::string family_names(bool with_codes_only);

}  // namespace quillet_tool

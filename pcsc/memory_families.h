// The memory card families as the driver reaches them: one row per family of the library's
// catalogue (quillet_families.h), with its functions brought to one call shape per kind of call.
#pragma once

#include <cstdint>
#include <string_view>

#include "quillet.h"
#include "quillet_families.h"

namespace quillet_pcsc {

// Memory: zone (or page) first, ignored by a flat card; offset and length in the family's units.
using MemoryRead = int16_t (*)(int32_t handle, int16_t zone, int32_t offset, int32_t length, uint8_t* buffer);
using MemoryWrite = int16_t (*)(int32_t handle, int16_t zone, int32_t offset, int32_t length, const uint8_t* data);
// Codes: zone (or password set) and selector, ignored where the family has one code.
using CodePresent = int16_t (*)(int32_t handle, int16_t zone, int16_t selector, int16_t length, const uint8_t* code);
// Attempts left (an erase code: presentations left).
using CodeCounter = int16_t (*)(int32_t handle, int16_t zone, int16_t selector, int16_t* left);
// The whole card erased in one call.
using EraseAll = int16_t(QL_CALL*)(int32_t handle);

struct CodeCalls {
    CodePresent present = nullptr;
    CodePresent change = nullptr;
    CodeCounter counter = nullptr;
    int16_t bytes = 0;  // the erase codes of zoned families take theirs from the zone
    int16_t sets = 0;   // password sets of two passwords each, 0 for a family without
};

struct MemoryFamily {
    ql_family key;
    const char* name;
    int16_t type_number;  // chk_card's number for the family, 0 when chk_card does not try it
    uint8_t bus;          // the ATR's standard byte: 0x0B I2C, 0x0D two-wire, 0x0E three-wire bus
    int shape;            // QL_SHAPE_FLAT, QL_SHAPE_ZONED or QL_SHAPE_PAGED
    int16_t unit;         // bytes of one addressed unit
    int32_t units;
    int32_t write_units;
    int16_t zones;  // zones or pages
    int16_t code_bytes;
    int kinds;               // QL_CODE_ bits
    int16_t full_counter;    // attempts of a fresh card
    bool writes_need_code;   // the card takes a write without the code silently: the driver refuses it
    MemoryRead read = nullptr;
    MemoryWrite write = nullptr;
    CodeCalls security;
    CodeCalls erase;
    EraseAll erase_all = nullptr;
};

struct ZoneBounds {
    int32_t size = 0;       // units
    int32_t read_end = 0;   // largest offset + length of a read starting in the zone
    int32_t write_end = 0;  // and of a write
    int16_t erase_code = 0; // bytes of the zone's erase code, 0 for none
};

// nullptr for a number chk_card never gives
const MemoryFamily* memory_family(int16_t type_number);
// by the catalogue's name ("sle4432", "at88sc1604c"), any letter case
const MemoryFamily* memory_family_named(std::string_view name);
// A zone (page) of a family; nullopt-like: size 0 when it has no such zone. A flat card has one
// zone 0, the whole card; a paged card's pages are all alike.
ZoneBounds zone_bounds(const MemoryFamily& family, int zone);

// What the crypto memory cards (AT88SC1608, AT88SC153) have besides their zones: the mutual
// authentication (16 bytes the application computed) and the configuration zone. All nullptr for
// the other families.
using Authentication = int16_t (*)(int32_t handle, int16_t length, const uint8_t* data);
struct CryptoCalls {
    Authentication authenticate = nullptr;
    MemoryRead configuration_read = nullptr;  // zone ignored, offsets from configuration byte 0
    MemoryWrite configuration_write = nullptr;
    int32_t configuration_bytes = 0;
};
CryptoCalls crypto_calls_of(const MemoryFamily& family);

}  // namespace quillet_pcsc

// The card families the tool reads and writes, and those with a security code: one row each.
// A family that comes to the library gets a row here (and in the detection order, detect.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "quillet.h"

namespace quillet_tool {

using FlatRead = int16_t(QL_CALL*)(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
using FlatWrite = int16_t(QL_CALL*)(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
using ZonedRead = int16_t(QL_CALL*)(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer);
using ZonedWrite = int16_t(QL_CALL*)(int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data);

struct MemoryFamily {
    std::string_view name;
    long capacity;         // in units, of the card or of each zone below the last
    int unit_bytes;        // bytes of one addressed unit: 2 for a card addressed in 16-bit words
    const char* read_name;
    const char* write_name;
    FlatRead read = nullptr;
    FlatWrite write = nullptr;
    ZonedRead zoned_read = nullptr;  // cards addressed by zone and offset
    ZonedWrite zoned_write = nullptr;
    int zones = 0;
    long last_zone_capacity = 0;

    bool zoned() const { return zones > 0; }
    long capacity_of(long zone) const { return zoned() && zone == zones - 1 ? last_zone_capacity : capacity; }
};

// Where a code or attempt counter sits on cards with several: the password set and which of its
// passwords (0 the first). The cards with one code ignore both.
struct CodeTarget {
    int16_t set = 0;
    int16_t selector = 0;
};

struct CodeFamily {
    std::string_view name;
    int code_bytes;
    bool counter_counts_attempts;  // the counter reads as attempts left; else as the raw counter byte
    int16_t (*present)(int32_t handle, CodeTarget target, const uint8_t* code);
    int16_t (*change)(int32_t handle, CodeTarget target, const uint8_t* code);
    int16_t (*counter)(int32_t handle, CodeTarget target, int* value);
    const char* present_name;
    const char* change_name;
    const char* counter_name;
};

std::span<const MemoryFamily> memory_families();
std::span<const CodeFamily> code_families();
// nullptr when the family has no row
const MemoryFamily* find_memory_family(std::string_view name);
const CodeFamily* find_code_family(std::string_view name);
// "sle4442 2042 ..." for messages
std::string family_names(bool with_codes_only);

}  // namespace quillet_tool

// Memory cards seen through PC/SC: the families the driver reads, writes and unlocks, keyed by the
// card type number of chk_card, and the class FF pseudo-APDUs that reach them (docs/pcsc.md).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "quillet.h"

namespace quillet_pcsc {

using MemoryRead = int16_t(QL_CALL*)(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
using MemoryWrite = int16_t(QL_CALL*)(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);
using CodeCall = int16_t(QL_CALL*)(int32_t handle, int16_t length, const uint8_t* code);
using CounterRead = int16_t(QL_CALL*)(int32_t handle, int16_t* count);

struct MemoryFamily {
    int16_t type_number;  // chk_card's number for the family
    uint8_t bus;          // the ATR's standard byte: 0x0B I2C, 0x0D two-wire, 0x0E three-wire bus
    int32_t capacity;     // bytes; 0 for a family detected but not reachable by pseudo-APDUs
    MemoryRead read = nullptr;
    MemoryWrite write = nullptr;
    int16_t code_bytes = 0;  // 0: no security code
    CodeCall present = nullptr;
    CodeCall change = nullptr;
    CounterRead counter = nullptr;
    int16_t full_counter = 0;  // attempts a card has after the right code
};

// nullptr for a number chk_card never gives
const MemoryFamily* memory_family(int16_t type_number);

// The ATR the driver shows for a memory card (docs/pcsc.md): 20 bytes.
std::vector<uint8_t> memory_card_atr(const MemoryFamily& family);

// What a memory card in a slot needs between pseudo-APDUs.
struct MemorySlot {
    const MemoryFamily* family = nullptr;
    bool code_presented = false;
    std::vector<uint8_t> fingerprint;  // the card's first bytes, as last read or written
};

// Reads the card's first bytes into the slot's fingerprint.
void remember_memory_card(int32_t handle, MemorySlot& slot);

// Whether the card in the slot is still the one remembered: its first bytes read back alike. The
// reader has no card-change latch, so a card put in without a removal seen in between shows only
// so (a card of another family fails the read; one of the same family with the same first bytes
// goes unseen).
bool same_memory_card(int32_t handle, const MemorySlot& slot);

// Carries out one pseudo-APDU and gives the response (data, SW1 SW2); false when the link to the
// reader failed (no response).
bool memory_apdu(int32_t handle, MemorySlot& slot, std::span<const uint8_t> command, std::vector<uint8_t>& response);

}  // namespace quillet_pcsc

// Memory cards seen through PC/SC: the class FF pseudo-APDUs that reach the families of
// pcsc/memory_families.h (docs/pcsc.md), and the ATR the driver shows for them.
#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

#include "pcsc/memory_families.h"

namespace quillet_pcsc {

// The ATR the driver shows for a memory card (docs/pcsc.md): 20 bytes; nullptr for a card of no
// family chk_card names.
std::vector<uint8_t> memory_card_atr(const MemoryFamily* family);

// What a memory card in a slot needs between pseudo-APDUs.
struct MemorySlot {
    const MemoryFamily* family = nullptr;
    int16_t zone = 0;                  // the zone or page READ and UPDATE BINARY address
    std::bitset<256> presented;        // the code references (VERIFY's P2) presented since power up
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

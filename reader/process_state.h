// The library's process-wide state: one copy per loaded library, zero at load, never reset by
// ic_exit, no locks (callers serialise their calls).
#pragma once

#include <array>
#include <cstdint>

namespace quillet {

// Extra identification codes that the card checks accept besides their built-in ones.
struct CodeList {
    int16_t count = 0;                  // 0..20
    std::array<uint8_t, 100> codes{};   // code j: bytes 2j, 2j+1 (4j..4j+3 in list 6)
};

inline constexpr int code_family_count = 9;

struct ProcessState {
    uint16_t parallel_address = 0;      // written by every parallel open, read by every parallel transfer
    bool extended_reader = false;       // the reader identified itself as "KTV4" or "NOBLU"; never cleared
    std::array<CodeList, code_family_count> registered_codes{};
};

ProcessState& process_state();

}  // namespace quillet

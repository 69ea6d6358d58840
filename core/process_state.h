// The library's process-wide state: one copy per loaded library, zero at load, never reset by
// ic_exit. Each item is safe to touch from any thread (the flag and the address are atomic, the
// code lists have their lock), but the items carry a process-wide meaning that no lock changes:
// one parallel port at a time, and codes registered before the card checks that rely on them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace quillet {

// Extra identification codes that the card checks accept besides their built-in ones.
struct CodeList {
    int16_t count = 0;                  // 0..20, never more than the codes given
    std::array<uint8_t, 100> codes{};   // code j: bytes 2j, 2j+1 (4j..4j+3 in list 6)
};

inline constexpr int code_family_count = 9;

struct ProcessState {
    std::atomic<uint16_t> parallel_address{0};  // written by every parallel open, read by every parallel transfer
    std::atomic<bool> extended_reader{false};   // the reader identified itself as "KTV4" or "NOBLU"; never cleared
    std::mutex codes_lock;                      // held while registered_codes is written or searched
    std::array<CodeList, code_family_count> registered_codes{};
};

ProcessState& process_state();

}  // namespace quillet

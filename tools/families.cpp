#include "tools/families.h"

#include <algorithm>
#include <array>

namespace quillet_tool {

namespace {

constexpr MemoryFamily flat(std::string_view name, long capacity, const char* read_name, FlatRead read,
                            const char* write_name, FlatWrite write, int unit_bytes = 1) {
    return {name, capacity, unit_bytes, read_name, write_name, read, write};
}

constexpr std::array memory{
    flat("sle4442", 256, "srd_4442", srd_4442, "swr_4442", swr_4442),
    flat("2042", 256, "srd_2042", srd_2042, "swr_2042", swr_2042),
    flat("sle4432", 256, "srd_4432", srd_4432, "swr_4432", swr_4432),
    flat("sle4428", 1024, "srd_4428", srd_4428, "swr_4428", swr_4428),
    flat("sle4418", 1024, "srd_4418", srd_4418, "swr_4418", swr_4418),
    flat("24c01a", 128, "srd_24c01a", srd_24c01a, "swr_24c01a", swr_24c01a),
    flat("24c02", 256, "srd_24c02", srd_24c02, "swr_24c02", swr_24c02),
    flat("24c04", 512, "srd_24c04", srd_24c04, "swr_24c04", swr_24c04),
    flat("24c08", 1024, "srd_24c08", srd_24c08, "swr_24c08", swr_24c08),
    flat("24c16", 2048, "srd_24c16", srd_24c16, "swr_24c16", swr_24c16),
    flat("24c32", 4096, "srd_24c32", srd_24c32, "swr_24c32", swr_24c32),
    flat("24c64", 8192, "srd_24c64", srd_24c64, "swr_24c64", swr_24c64),
    flat("93c46a", 64, "srd_93c46a", srd_93c46a, "swr_93c46a", swr_93c46a, 2),
    flat("93c46", 128, "srd_93c46", srd_93c46, "swr_93c46", swr_93c46),
    flat("93c57", 256, "srd_93c57", srd_93c57, "swr_93c57", swr_93c57),
    flat("93c66", 512, "srd_93c66", srd_93c66, "swr_93c66", swr_93c66),
    MemoryFamily{"at88sc1608", 256, 1, "srd_1608", "swr_1608", nullptr, nullptr, srd_1608, swr_1608, 9, 128},
    MemoryFamily{"at88sc153", 64, 1, "srd_153", "swr_153", nullptr, nullptr, srd_153, swr_153, 3, 64},
};

// The error counter of the cards with one code, as the number of attempts left.
template <int16_t(QL_CALL* read_counter)(int32_t, int16_t*)>
int16_t attempts_left(int32_t handle, CodeTarget, int* value) {
    int16_t count = 0;
    const int16_t status = read_counter(handle, &count);
    *value = count;
    return status;
}

constexpr std::array codes{
    CodeFamily{"sle4442", 3, true,
               [](int32_t h, CodeTarget, const uint8_t* c) { return csc_4442(h, 3, c); },
               [](int32_t h, CodeTarget, const uint8_t* c) { return wsc_4442(h, 3, c); },
               attempts_left<rsct_4442>,
               "csc_4442", "wsc_4442", "rsct_4442"},
    CodeFamily{"2042", 3, true,
               [](int32_t h, CodeTarget, const uint8_t* c) { return csc_2042(h, 3, c); },
               [](int32_t h, CodeTarget, const uint8_t* c) { return wsc_2042(h, 3, c); },
               attempts_left<rsct_2042>,
               "csc_2042", "wsc_2042", "rsct_2042"},
    CodeFamily{"sle4428", 2, true,
               [](int32_t h, CodeTarget, const uint8_t* c) { return csc_4428(h, 2, c); },
               [](int32_t h, CodeTarget, const uint8_t* c) { return wsc_4428(h, 2, c); },
               attempts_left<rsct_4428>,
               "csc_4428", "wsc_4428", "rsct_4428"},
    CodeFamily{"at88sc1608", 3, false,
               [](int32_t h, CodeTarget t, const uint8_t* c) { return csc_1608(h, t.set, 3, t.selector, c); },
               [](int32_t h, CodeTarget t, const uint8_t* c) { return wsc_1608(h, t.set, 3, t.selector, c); },
               [](int32_t h, CodeTarget t, int* value) {
                   uint8_t counter = 0;
                   const int16_t status = rsct_1608(h, t.set, 1, t.selector, &counter);
                   *value = counter;
                   return status;
               },
               "csc_1608", "wsc_1608", "rsct_1608"},
    CodeFamily{"at88sc153", 3, false,
               [](int32_t h, CodeTarget t, const uint8_t* c) { return csc_153(h, t.set, t.selector, 3, c); },
               [](int32_t h, CodeTarget t, const uint8_t* c) { return wsc_153(h, t.set, t.selector, 3, c); },
               [](int32_t h, CodeTarget t, int* value) {
                   uint8_t counter = 0;
                   const int16_t status = rsct_153(h, t.set, t.selector, 1, &counter);
                   *value = counter;
                   return status;
               },
               "csc_153", "wsc_153", "rsct_153"},
};

template <typename Row>
const Row* find_row(std::span<const Row> rows, std::string_view name) {
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name == name; });
    return it == rows.end() ? nullptr : &*it;
}

}  // namespace

std::span<const MemoryFamily> memory_families() { return memory; }
std::span<const CodeFamily> code_families() { return codes; }

const MemoryFamily* find_memory_family(std::string_view name) { return find_row(memory_families(), name); }
const CodeFamily* find_code_family(std::string_view name) { return find_row(code_families(), name); }

std::string family_names(bool with_codes_only) {
    std::string names;
    auto add = [&](std::string_view n) { names += (names.empty() ? "" : " ") + std::string(n); };
    if (with_codes_only)
        for (const auto& f : codes) add(f.name);
    else
        for (const auto& f : memory) add(f.name);
    return names;
}

}  // namespace quillet_tool

// The commands of instruction files: one row per command name, saying which export it calls,
// where the export's arguments come from and how many bytes pass between the data file, the
// export and the output file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "core/export_pointers.h"

namespace quillet::filecmd {

enum class Kind : uint8_t {
    write,          // W: bytes from the data file go to the export
    read,           // R: the export's bytes go to the output file
    plain,          // P: the export is called with numbers only
    card_reset,     // cpu_reset: the answer to reset, up to the first three filler bytes
    card_exchange,  // cpu_protocol: a block from the data file, the response to the output file
};

// Where an integer argument of the export comes from: a number slot of the instruction, or the
// count L of the default-length rule (or of the current piece).
enum class Arg : uint8_t { n1, n2, n3, length };

// Which slots give the start s and the count c of the default-length rule.
enum class Extent : uint8_t {
    none,     // no count to compute
    from_n1,  // s = #1, c = #2
    from_n2,  // s = #2, c = #3
    whole,    // s = 0, c = #1
};

// How many bytes the data file gives (W) or the output file receives (R).
enum class ByteCount : uint8_t { none, length, twice_length, n1, n2, one, two };

// Transfers longer than the working buffer go in pieces of at most its size.
enum class Pieces : uint8_t {
    none,        // one export call
    by_address,  // the address #1 moves on by a piece
    by_page,     // page #1 and in-page offset #2 move on by a piece of 264-byte pages
};

using Export = std::variant<exports::Plain, exports::PlainShort, exports::PlainLong, exports::PlainTwo,
                            exports::PlainThree, exports::Read, exports::ReadOne, exports::ReadTwo, exports::ReadThree,
                            exports::WriteOne, exports::WriteTwo, exports::WriteThree, exports::ReadFlash, exports::WriteFlash, exports::Counter,
                            exports::CounterOne, exports::Exchange>;

inline constexpr size_t zone_count = 5;

struct Command {
    std::string_view name;
    size_t compared;  // characters compared with the instruction's name, from the start
    Kind kind;
    Export call;      // the export the command calls
    std::array<Arg, 3> args;  // the export's integer arguments after the port handle, in order
    Extent extent;
    std::array<int32_t, zone_count> capacity;  // K; zoned: K by zone #1, 0 where there is no such zone
    bool zoned;
    ByteCount bytes;
    Pieces pieces;
};

// Every command, in the order in which names are compared.
std::span<const Command> command_table();

// The first command whose name (over its compared length) begins the given name, or nullptr.
const Command* find_command(std::string_view name);

}  // namespace quillet::filecmd

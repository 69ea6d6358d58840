// One instruction of an instruction file, as the command dispatcher receives it, and the parser
// that reads it from the instruction's text:
//
//     name ( port , number , number , "file/mode" ) { data }
//
// The first argument stands for the port handle and is skipped; exp_dis supplies the handle.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::filecmd {

// Limits of the instruction record; anything longer is refused, never cut.
inline constexpr size_t max_name = 19;
inline constexpr size_t max_token = 199;
inline constexpr size_t max_file_name = 19;
inline constexpr size_t max_mode = 11;

struct Instruction {
    std::string name;                  // lower case, at most max_name characters
    std::array<int32_t, 4> numbers{};  // number slots #1..#4, 0 unless given (#4 is used by no command)
    std::string file;                  // output file name, "*", or empty when none is given
    std::string mode;                  // its file-open mode: "w" unless given; empty with "*" or no file
};

// The record of one instruction's text (from just after the previous closing brace up to its own);
// nullopt when the text ends before the argument list is complete, a hexadecimal number holds
// another character, or a name, token, file name or mode is too long or the mode is not a
// standard file-open mode.
std::optional<Instruction> parse_instruction(std::string_view text);

// r, w or a, followed by at most one '+' and at most one of 'b' and 't', in either order.
bool is_standard_open_mode(std::string_view mode);

// The value of a number argument (blanks already dropped); nullopt for a bad hexadecimal digit.
std::optional<int32_t> argument_number(std::string_view token);

}  // namespace quillet::filecmd

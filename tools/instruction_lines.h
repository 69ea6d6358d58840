// Where the instructions of an instruction file stand, split as the library splits them: each is
// the text after the previous closing brace up to and including its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillet_tool {

struct InstructionText {
    int line;          // the line (from 1) of its first character that is not blank
    std::string text;  // without the blanks around it
};

// The instructions; nullopt when a brace is left open (the number of that instruction's line in
// open_line).
std::optional<std::vector<InstructionText>> split_instructions(const std::string& file_text, int& open_line);

}  // namespace quillet_tool

#include "tools/instruction_lines.h"

#include <cctype>

namespace quillet_tool {

namespace {

bool blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::optional<std::vector<InstructionText>> split_instructions(const std::string& file_text, int& open_line) {
    std::vector<InstructionText> found;
    InstructionText current{0, {}};
    bool open = false;
    int line = 1;
    for (const char c : file_text) {
        if (current.line == 0 && !blank(c)) current.line = line;
        if (current.line != 0) current.text += c;
        if (c == '\n') ++line;
        if (c == '{') {
            open = true;
        } else if (c == '}' && open) {
            open = false;
            while (!current.text.empty() && blank(current.text.back())) current.text.pop_back();
            found.push_back(current);
            current = {0, {}};
        }
    }
    if (open) {
        open_line = current.line;
        return std::nullopt;
    }
    return found;
}

}  // namespace quillet_tool

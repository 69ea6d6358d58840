// quillet run: the instructions of an instruction file, through the library's exp_dis. exp_dis
// keeps its scratch files in the current directory: run one at a time per directory.
// The tool reads the file first, so that an empty file, one without a complete instruction, and
// the failing instruction's line can be named.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/failure_text.h"
#include "tools/instruction_lines.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr int16_t file_not_usable = 254;  // exp_dis: the file cannot be read, or does not parse

std::vector<InstructionText> instructions_of(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(path + ": cannot be read");
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    int open_line = 0;
    const auto found = split_instructions(text, open_line);
    if (!found) throw std::runtime_error(path + ":" + std::to_string(open_line) + ": a brace is left open");
    if (found->empty())
        throw std::runtime_error(path +
                                 ": no instruction (each is a call followed by its data in braces: "
                                 "swr_4442(dev, 32, 2) { 0x41, 0x42 })");
    return *found;
}

// "job.ins:2: instruction 1 (from 0) failed: swr_4442: present the code first (--code) (...); the
// instruction: swr_4442(dev, 64, 1) { 1 }"
std::string failure_of(const std::string& path, const std::vector<InstructionText>& instructions, size_t index,
                       int status) {
    if (index >= instructions.size())
        return path + ": instruction " + std::to_string(index) + " failed: " + failure_text({"exp_dis", status, {}});
    const auto& i = instructions[index];
    const std::string name = i.text.substr(0, i.text.find('('));
    return path + ":" + std::to_string(i.line) + ": instruction " + std::to_string(index) +
           " (from 0) failed: " + failure_text({name, status, {}}) + "; the instruction: " + i.text;
}

int run_file(const Arguments& args) {
    if (args.operands().size() != 1) throw UsageError("give one instruction file");
    std::string path = args.operands()[0];
    const auto instructions = instructions_of(path);
    ReaderSession session(args);
    int16_t failed_instruction = 0;
    const int16_t status = exp_dis(session.handle(), path.data(), &failed_instruction);
    if (status == file_not_usable)
        throw std::runtime_error(path +
                                 ": an instruction does not parse or cannot be run (an unknown name, a bad "
                                 "number or data block, or a file it names cannot be used)");
    if (status != 0)
        throw std::runtime_error(failure_of(path, instructions, static_cast<size_t>(failed_instruction), status));
    std::printf("ran %zu instruction%s of %s\n", instructions.size(), instructions.size() == 1 ? "" : "s",
                path.c_str());
    return 0;
}

}  // namespace

constexpr Command run_command{"run", "FILE", "run the instructions of an instruction file (exp_dis)", {}, run_file};

}  // namespace quillet_tool

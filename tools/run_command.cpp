// quillet run: the instructions of an instruction file, through the library's exp_dis. exp_dis
// keeps its scratch files in the current directory: run one at a time per directory.
#include <string>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/session.h"
#include "tools/status_text.h"

namespace quillet_tool {

namespace {

constexpr int16_t file_not_usable = 254;  // exp_dis: the file cannot be read, or does not parse

int run_file(const Arguments& args) {
    if (args.operands().size() != 1) throw UsageError("give one instruction file");
    std::string path = args.operands()[0];
    ReaderSession session(args);
    int16_t failed_instruction = 0;
    const int16_t status = exp_dis(session.handle(), path.data(), &failed_instruction);
    if (status == file_not_usable) throw std::runtime_error(path + ": cannot be read, or an instruction does not parse");
    if (status != 0)
        throw std::runtime_error(path + ": instruction " + std::to_string(failed_instruction) + " (from 0) failed: " +
                                 status_text(status));
    return 0;
}

}  // namespace

const Command& run_command() {
    static const Command command{"run", "FILE", "run the instructions of an instruction file (exp_dis)", {}, run_file};
    return command;
}

}  // namespace quillet_tool

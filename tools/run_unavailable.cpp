// quillet run in a build whose quillet.h has no exp_dis yet: tools/CMakeLists.txt takes
// run_command.cpp once it has.
#include <stdexcept>

#include "tools/commands.h"

namespace quillet_tool {

namespace {

int unavailable(const Arguments&) {
    throw std::runtime_error("this build of the library has no instruction files (exp_dis)");
}

}  // namespace

const Command& run_command() {
    static const Command command{"run", "FILE", "run the instructions of an instruction file (not in this build)", {},
                                 unavailable};
    return command;
}

}  // namespace quillet_tool

// The subcommands of `quillet`. Each lives in its own file and describes itself with a Command.
#pragma once

#include <span>
#include <string_view>

#include "tools/arguments.h"

namespace quillet_tool {

struct Command {
    std::string_view name;
    std::string_view operands;  // after the options in the usage line, e.g. "FILE"
    std::string_view summary;
    std::span<const OptionSpec> options;
    int (*run)(const Arguments& args);  // the exit status; throws UsageError or CallFailed
};

const Command& info_command();
const Command& detect_command();
const Command& read_command();
const Command& write_command();
const Command& present_code_command();
const Command& change_code_command();
const Command& counter_command();
const Command& apdu_command();
const Command& run_command();
const Command& beep_command();
const Command& watch_command();

}  // namespace quillet_tool

// The subcommands of `quillet`. Each lives in its own file and describes itself with a Command,
// a constant set before any code runs.
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

extern const Command info_command;
extern const Command detect_command;
extern const Command read_command;
extern const Command write_command;
extern const Command present_code_command;
extern const Command change_code_command;
extern const Command counter_command;
extern const Command apdu_command;
extern const Command run_command;
extern const Command beep_command;
extern const Command watch_command;

}  // namespace quillet_tool

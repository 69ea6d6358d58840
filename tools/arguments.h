// The command line of one subcommand: options (--name VALUE, --name=VALUE, flags) and operands.
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillet_tool {

struct OptionSpec {
    std::string_view name;         // without the leading dashes
    std::string_view placeholder;  // what the value is ("N", "FILE"); empty for a flag
    std::string_view help;
};

// A command line the tool cannot use; the message says why. Exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a number written in decimal or with 0x in hexadecimal; throws UsageError naming what.
long parse_number(std::string_view text, std::string_view what, long min, long max);

class Arguments {
public:
    // Throws UsageError for an option not in the lists or a value missing after an option.
    Arguments(const std::vector<std::string>& args, std::span<const OptionSpec> options,
              std::span<const OptionSpec> common_options);

    bool has(std::string_view name) const;
    std::optional<std::string> value(std::string_view name) const;
    // The option's number, fallback when it is absent; a value outside min..max is a UsageError.
    long number(std::string_view name, long fallback, long min, long max) const;
    // The option's value; a UsageError when it is absent.
    std::string required(std::string_view name) const;
    const std::vector<std::string>& operands() const { return operands_; }

private:
    std::vector<std::pair<std::string, std::string>> given_;
    std::vector<std::string> operands_;
};

}  // namespace quillet_tool

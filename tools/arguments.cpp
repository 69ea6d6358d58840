#include "tools/arguments.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace quillet_tool {

namespace {

const OptionSpec* find_option(std::string_view name, std::span<const OptionSpec> a, std::span<const OptionSpec> b) {
    for (auto list : {a, b}) {
        const auto it = std::find_if(list.begin(), list.end(), [&](const OptionSpec& o) { return o.name == name; });
        if (it != list.end()) return &*it;
    }
    return nullptr;
}

}  // namespace

long parse_number(std::string_view text, std::string_view what, long min, long max) {
    const std::string copy(text);
    const bool hex = copy.size() > 2 && copy[0] == '0' && (copy[1] == 'x' || copy[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const long value = copy.empty() ? 0 : std::strtol(copy.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (copy.empty() || errno != 0 || *end != '\0' || value < min || value > max)
        throw UsageError(std::string(what) + " must be a number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not '" + copy + "'");
    return value;
}

Arguments::Arguments(const std::vector<std::string>& args, std::span<const OptionSpec> options,
                     std::span<const OptionSpec> common_options) {
    bool options_end = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_end || arg.size() < 2 || arg[0] != '-' || arg == "-") {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_end = true;
            continue;
        }
        std::string name = arg == "-h" ? "help" : arg.substr(arg.rfind("--", 0) == 0 ? 2 : 1);
        std::optional<std::string> inline_value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inline_value = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* wanted = find_option(name, options, common_options);
        if (!wanted) throw UsageError("unknown option '" + arg + "'");
        std::string value;
        if (!wanted->placeholder.empty()) {
            if (inline_value) {
                value = *inline_value;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError("option --" + name + " needs a value (" + std::string(wanted->placeholder) + ")");
            }
        } else if (inline_value) {
            throw UsageError("option --" + name + " takes no value");
        }
        given_.emplace_back(name, value);
    }
}

bool Arguments::has(std::string_view name) const {
    return std::any_of(given_.begin(), given_.end(), [&](const auto& g) { return g.first == name; });
}

std::optional<std::string> Arguments::value(std::string_view name) const {
    // The last occurrence wins, as with most tools.
    for (auto it = given_.rbegin(); it != given_.rend(); ++it)
        if (it->first == name) return it->second;
    return std::nullopt;
}

long Arguments::number(std::string_view name, long fallback, long min, long max) const {
    const auto text = value(name);
    return text ? parse_number(*text, "--" + std::string(name), min, max) : fallback;
}

std::string Arguments::required(std::string_view name) const {
    auto text = value(name);
    if (!text) throw UsageError("option --" + std::string(name) + " is required");
    return *text;
}

}  // namespace quillet_tool

// quillet present-code / change-code / counter: a card's security code and its error counter.
#include <array>
#include <cstdio>
#include <vector>

#include "quillet.h"
#include "tools/code_presenting.h"
#include "tools/commands.h"
#include "tools/families.h"
#include "tools/hex.h"
#include "tools/json.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr OptionSpec family_option{"family", "NAME", "card family (sle4442, 2042, sle4428, at88sc1608, at88sc153)"};
constexpr OptionSpec set_option{"set", "N", "password set, on cards with several (default 0)"};
constexpr OptionSpec selector_option{"selector", "N", "0 the set's first password, 1 its second (default 0)"};

constexpr std::array present_options{
    family_option, OptionSpec{"code", "HEX", "the code (a wrong one costs one of the card's attempts)"}, set_option,
    selector_option};
constexpr std::array change_options{
    family_option, OptionSpec{"code", "HEX", "the new code"},
    OptionSpec{"old", "HEX", "present this current code first"}, set_option, selector_option};
constexpr std::array counter_options{family_option, set_option, selector_option,
                                     OptionSpec{"json", "", "print one JSON object"}};

const CodeFamily& family_of(const Arguments& args) {
    const std::string name = args.required("family");
    const CodeFamily* family = find_code_family(name);
    if (!family) throw UsageError("no card family with a security code named '" + name + "'; known: " + family_names(true));
    return *family;
}

CodeTarget target_of(const Arguments& args) {
    return {static_cast<int16_t>(args.number("set", 0, 0, 32767)), static_cast<int16_t>(args.number("selector", 0, 0, 32767))};
}

std::vector<uint8_t> code_of(const Arguments& args, const CodeFamily& family, std::string_view option) {
    const auto code = parse_hex(args.required(option), "--" + std::string(option));
    if (static_cast<int>(code.size()) != family.code_bytes)
        throw UsageError("--" + std::string(option) + ": " + std::string(family.name) + " codes are " +
                         std::to_string(family.code_bytes) + " bytes");
    return code;
}

int run_present(const Arguments& args) {
    const CodeFamily& family = family_of(args);
    const auto code = code_of(args, family, "code");
    ReaderSession session(args);
    present_code(session.handle(), family, target_of(args), code.data());
    std::printf("code accepted\n");
    return 0;
}

int run_change(const Arguments& args) {
    const CodeFamily& family = family_of(args);
    const auto code = code_of(args, family, "code");
    const auto old = args.has("old") ? code_of(args, family, "old") : std::vector<uint8_t>{};
    ReaderSession session(args);
    if (!old.empty()) present_code(session.handle(), family, target_of(args), old.data());
    check(family.change(session.handle(), target_of(args), code.data()), family.change_name);
    std::printf("code changed\n");
    return 0;
}

int run_counter(const Arguments& args) {
    const CodeFamily& family = family_of(args);
    ReaderSession session(args);
    int value = 0;
    check(family.counter(session.handle(), target_of(args), &value), family.counter_name);
    if (args.has("json"))
        JsonObject()
            .text("family", family.name)
            .number(family.counter_counts_attempts ? "attempts_left" : "attempt_counter", value)
            .print();
    else if (family.counter_counts_attempts)
        std::printf("attempts left: %d\n", value);
    else
        std::printf("attempt counter: 0x%02X\n", value);
    return 0;
}

}  // namespace

const Command& present_code_command() {
    static const Command command{"present-code", "", "present a card's security code (password)", present_options, run_present};
    return command;
}

const Command& change_code_command() {
    static const Command command{"change-code", "", "write a new security code (password)", change_options, run_change};
    return command;
}

const Command& counter_command() {
    static const Command command{"counter", "", "show the error counter of a card's security code", counter_options,
                                 run_counter};
    return command;
}

}  // namespace quillet_tool

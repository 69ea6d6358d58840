// quillet present-code / change-code / counter: a card's security code (or password, or erase
// code with --erase) and its error counter.
#include <array>
#include <cstdio>
#include <vector>

#include "tools/code_presenting.h"
#include "tools/commands.h"
#include "tools/families.h"
#include "tools/hex.h"
#include "tools/json.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr long largest = 32767;

constexpr OptionSpec family_option{"family", "NAME", "card family, any letter case (sle4442 or 4442, at88sc1604, ...)"};
constexpr OptionSpec erase_option{"erase", "", "the erase code instead of the security code"};
constexpr OptionSpec zone_option{"zone", "Z", "zone, on cards with a code per zone (default 0)"};
constexpr OptionSpec set_option{"set", "N", "password set, on cards with several (default 0)"};
constexpr OptionSpec selector_option{"selector", "N", "0 the set's first password, 1 its second (default 0)"};

constexpr std::array present_options{
    family_option, OptionSpec{"code", "HEX", "the code (a wrong one costs one of the card's attempts)"}, erase_option,
    zone_option, set_option, selector_option};
constexpr std::array change_options{
    family_option, OptionSpec{"code", "HEX", "the new code"},
    OptionSpec{"old", "HEX", "present this current code first"}, erase_option, zone_option, set_option, selector_option};
constexpr std::array counter_options{family_option, erase_option, zone_option, set_option, selector_option,
                                     OptionSpec{"json", "", "print one JSON object"}};

struct Chosen {
    const Family& family;
    const CodeCalls& calls;
    CodeTarget target;
    bool erase;
};

Chosen chosen_code(const Arguments& args) {
    const std::string name = args.required("family");
    const Family* family = find_family(name);
    if (!family || !family->code)
        throw UsageError("no card family with a security code named '" + name + "'; known: " + family_names(true));
    const bool erase = args.has("erase");
    if (erase && !family->erase) throw UsageError(name + " has no erase code");
    const CodeCalls& calls = erase ? family->erase : family->code;
    if (args.has("zone") && !calls.per_zone) throw UsageError(name + " has no code per zone");
    if ((args.has("set") || args.has("selector")) && calls.sets == 0) throw UsageError(name + " has no password sets");
    const CodeTarget target{static_cast<int16_t>(args.number("zone", 0, 0, family->zones - 1)),
                            static_cast<int16_t>(args.number("set", 0, 0, calls.sets > 0 ? calls.sets - 1 : 0)),
                            static_cast<int16_t>(args.number("selector", 0, 0, largest))};
    return {*family, calls, target, erase};
}

// The code's bytes: the family's length, or the zone's erase code on cards with one per zone.
int code_length(const Chosen& c) {
    if (c.calls.bytes > 0) return c.calls.bytes;
    const Zone* zone = c.family.zone(c.target.zone);
    if (!zone || zone->erase_code == 0)
        throw UsageError(std::string(c.family.name) + " zone " + std::to_string(c.target.zone) + " has no erase code");
    return zone->erase_code;
}

std::vector<uint8_t> code_of(const Arguments& args, const Chosen& c, std::string_view option) {
    const auto code = parse_hex(args.required(option), "--" + std::string(option));
    const int bytes = code_length(c);
    if (static_cast<int>(code.size()) != bytes)
        throw UsageError("--" + std::string(option) + ": " + std::string(c.family.name) + (c.erase ? " erase" : "") +
                         " codes are " + std::to_string(bytes) + " bytes");
    return code;
}

void present(int32_t handle, const Chosen& c, const std::vector<uint8_t>& code) {
    present_code(handle, c.family, c.calls, c.target, code);
}

int run_present(const Arguments& args) {
    const Chosen c = chosen_code(args);
    const auto code = code_of(args, c, "code");
    ReaderSession session(args);
    present(session.handle(), c, code);
    std::printf("code accepted\n");
    return 0;
}

int run_change(const Arguments& args) {
    const Chosen c = chosen_code(args);
    const auto code = code_of(args, c, "code");
    const auto old = args.has("old") ? code_of(args, c, "old") : std::vector<uint8_t>{};
    ReaderSession session(args);
    if (!old.empty()) present(session.handle(), c, old);
    check(c.calls.change(session.handle(), c.target, static_cast<int16_t>(code.size()), code.data()), c.calls.change_name);
    std::printf("code changed\n");
    return 0;
}

int run_counter(const Arguments& args) {
    const Chosen c = chosen_code(args);
    ReaderSession session(args);
    int value = 0;
    check(c.calls.counter(session.handle(), c.target, &value), c.calls.counter_name);
    const char* key = c.erase ? "erase_counter" : c.family.raw_counter ? "attempt_counter" : "attempts_left";
    if (args.has("json"))
        JsonObject().text("family", c.family.name).number(key, value).print();
    else if (c.erase)
        std::printf("erase counter: %d\n", value);
    else if (c.family.raw_counter)
        std::printf("attempt counter: 0x%02X\n", value);
    else
        std::printf("attempts left: %d\n", value);
    return 0;
}

}  // namespace

constexpr Command present_code_command{"present-code", "", "present a card's security code, password or erase code",
                          present_options, run_present};

constexpr Command change_code_command{"change-code", "", "write a new security code, password or erase code",
                          change_options, run_change};

constexpr Command counter_command{"counter", "", "show the error counter of a card's code",
                          counter_options, run_counter};

}  // namespace quillet_tool

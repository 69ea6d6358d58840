// quillet read / write: a card family's memory to or from a file, as a hex dump or from hex text.
#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "quillet.h"
#include "tools/code_presenting.h"
#include "tools/commands.h"
#include "tools/families.h"
#include "tools/family_check.h"
#include "tools/hex.h"
#include "tools/json.h"
#include "tools/progress.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

// Units per library call: small enough for a progress bar that moves, large enough to cost
// nothing (the library cuts every call into frames of its own anyway).
constexpr long units_per_call = 512;
constexpr long largest_position = 32767;

constexpr OptionSpec family_option{"family", "NAME", "card family, any letter case (sle4442 or 4442, 24c02, at45d041, ...)"};
constexpr OptionSpec zone_option{"zone", "Z", "zone, on cards with zones (default 0)"};
constexpr OptionSpec page_option{"page", "P", "first page, on the flash cards (default 0)"};
constexpr OptionSpec offset_option{"offset", "N", "first address in the card, zone or page (words on a 93C46A; default 0)"};

constexpr std::array read_options{
    family_option, zone_option, page_option, offset_option,
    OptionSpec{"length", "N", "how many addresses (default: to the end of the card or zone)"},
    OptionSpec{"output", "FILE", "write the bytes to FILE (- the standard output) instead of printing them"},
    OptionSpec{"hex", "", "print one line of hexadecimal digits instead of a dump"},
    OptionSpec{"json", "", "print one JSON object with the bytes in hexadecimal"},
    no_check_option,
};

constexpr std::array write_options{
    family_option, zone_option, page_option, offset_option,
    OptionSpec{"input", "FILE", "the bytes to write (- the standard input)"},
    OptionSpec{"data", "HEX", "the bytes to write, in hexadecimal"},
    OptionSpec{"code", "HEX", "present the card's security code (or password) first"},
    OptionSpec{"code-zone", "Z", "the zone whose code --code is, on cards with a code per zone (default 0)"},
    OptionSpec{"set", "N", "the password set of --code, on cards with several (default 0)"},
    OptionSpec{"selector", "N", "0 the set's first password, 1 its second (default 0)"},
    no_check_option,
};

const Family& family_of(const Arguments& args) {
    const std::string name = args.required("family");
    const Family* family = find_family(name);
    if (!family) throw UsageError("no card family '" + name + "'; known: " + family_names(false));
    return *family;
}

// The zone (or page) a transfer starts in; 0 on a flat card.
long zone_of(const Arguments& args, const Family& family) {
    const std::string name(family.name);
    const bool paged = family.shape == Shape::paged;
    if (paged && args.has("zone")) throw UsageError(name + " has pages (--page), not zones");
    if (!paged && args.has("page")) throw UsageError(name + " has no pages");
    if (!family.addressed_by_zone()) {
        if (args.has("zone")) throw UsageError(name + " has no zones");
        return 0;
    }
    return args.number(paged ? "page" : "zone", 0, 0, family.zones - 1);
}

// Units from the start position to the end of what a read takes by default: the card, the zone,
// or the flash card from the page on.
long default_length(const Family& family, long zone, long offset) {
    switch (family.shape) {
    case Shape::flat: return family.units - offset;
    case Shape::zoned: return family.zone(zone)->size - offset;
    case Shape::paged: return family.units - zone * family.page_size() - offset;
    }
    return 0;
}

// The most units one transfer may take: a 16-bit length, or the whole flash card.
long longest_transfer(const Family& family) {
    return family.shape == Shape::paged ? family.units : largest_position;
}

// Reads or writes length units: a flat card in calls of units_per_call, a zoned card in one call
// (its reads run on across zones), a flash card page by page. A bar shows transfers of several
// calls. A length of 0 or less still makes one call, so that the library judges it.
void transfer(int32_t handle, const Family& family, long zone, long offset, long length, uint8_t* bytes,
              bool writing) {
    const long page = family.page_size();
    const long per_call = family.shape == Shape::flat ? units_per_call : page > 0 ? page : std::max(length, 1L);
    ProgressBar bar(writing ? "write" : "read ", length > per_call ? length * family.unit_bytes : 0);
    long done = 0;
    do {
        long at_zone = zone, at = offset + done, count = std::min(per_call, length - done);
        if (page > 0) {  // the position on the flash card, and the rest of its page at most
            const long position = zone * page + offset + done;
            at_zone = position / page;
            at = position % page;
            count = std::min(count, page - at);
        }
        uint8_t* part = bytes + done * family.unit_bytes;
        const auto z = static_cast<int16_t>(at_zone);
        const auto a = static_cast<int16_t>(at);
        const auto n = static_cast<int32_t>(count);
        const int16_t status = writing ? family.write(handle, z, a, n, part) : family.read(handle, z, a, n, part);
        check(status, writing ? family.write_name : family.read_name);
        done += std::max(count, 1L);
        bar.update(std::min(done, length) * family.unit_bytes);
    } while (done < length);
}

std::vector<uint8_t> code_bytes(const std::string& text, int bytes, std::string_view name) {
    auto code = parse_hex(text, "--code");
    if (static_cast<int>(code.size()) != bytes)
        throw UsageError("--code: " + std::string(name) + " codes are " + std::to_string(bytes) + " bytes");
    return code;
}

void present_code_first(int32_t handle, const Family& family, const Arguments& args, const std::vector<uint8_t>& code) {
    const CodeTarget target{static_cast<int16_t>(args.number("code-zone", 0, 0, largest_position)),
                            static_cast<int16_t>(args.number("set", 0, 0, largest_position)),
                            static_cast<int16_t>(args.number("selector", 0, 0, largest_position))};
    present_code(handle, family, family.code, target, code);
}

int run_read(const Arguments& args) {
    const Family& family = family_of(args);
    const long zone = zone_of(args, family);
    const long offset = args.number("offset", 0, 0, largest_position);
    const long length = args.has("length") ? args.number("length", 0, 1, longest_transfer(family))
                                           : std::max(default_length(family, zone, offset), 1L);
    ReaderSession session(args);
    check_family(session.handle(), family, args);
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max(length, 0L) * family.unit_bytes));
    transfer(session.handle(), family, zone, offset, length, bytes.data(), false);

    const auto path = args.value("output");
    if (path == "-") {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
            throw std::runtime_error("cannot write the standard output");
    } else if (path) {
        std::ofstream file(*path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file.flush()) throw std::runtime_error("cannot write " + *path);
    } else if (args.has("json")) {
        JsonObject json;
        json.text("family", family.name);
        if (family.addressed_by_zone()) json.number(family.shape == Shape::paged ? "page" : "zone", zone);
        json.number("offset", offset).number("length", length).text("data", to_hex(bytes)).print();
    } else if (args.has("hex")) {
        std::printf("%s\n", to_hex(bytes).c_str());
    } else {
        print_dump(stdout, bytes, (zone * family.page_size() + offset) * family.unit_bytes);  // flash: from the card start
    }
    return 0;
}

std::vector<uint8_t> data_of(const Arguments& args) {
    const auto path = args.value("input");
    const auto hex = args.value("data");
    if (path.has_value() == hex.has_value()) throw UsageError("give the bytes with either --input FILE or --data HEX");
    if (hex) return parse_hex(*hex, "--data");
    if (path == "-") return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    std::ifstream file(*path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + *path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int run_write(const Arguments& args) {
    const Family& family = family_of(args);
    const long zone = zone_of(args, family);
    const long offset = args.number("offset", 0, 0, largest_position);
    const auto code = args.value("code");
    if (code && !family.code) throw UsageError(std::string(family.name) + " has no security code");
    const auto code_given = code ? code_bytes(*code, family.code.bytes, family.name) : std::vector<uint8_t>{};
    std::vector<uint8_t> data = data_of(args);
    if (data.empty() || data.size() % static_cast<size_t>(family.unit_bytes) != 0)
        throw UsageError("the data must be a whole number of " + std::to_string(family.unit_bytes) + "-byte units, at least one");
    const long length = static_cast<long>(data.size()) / family.unit_bytes;
    if (length > longest_transfer(family)) throw UsageError("more data than a card holds");
    ReaderSession session(args);
    check_family(session.handle(), family, args);
    if (code) present_code_first(session.handle(), family, args, code_given);
    transfer(session.handle(), family, zone, offset, length, data.data(), true);
    const std::string where = !family.addressed_by_zone() ? "offset "
                              : std::string(family.shape == Shape::paged ? "page " : "zone ") + std::to_string(zone) + ", offset ";
    std::printf("wrote %zu byte%s to the %.*s card at %s%ld\n", data.size(), data.size() == 1 ? "" : "s",
                static_cast<int>(family.name.size()), family.name.data(), where.c_str(), offset);
    return 0;
}

}  // namespace

constexpr Command read_command{"read", "", "read a card's memory: a hex dump, hex digits or a file",
                          read_options, run_read};

constexpr Command write_command{"write", "", "write a card's memory from a file or hex digits",
                          write_options, run_write};

}  // namespace quillet_tool

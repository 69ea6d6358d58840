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

constexpr std::array read_options{
    OptionSpec{"family", "NAME", "card family (sle4442, 24c02, 93c46a, at88sc1608, ...)"},
    OptionSpec{"zone", "Z", "zone, on cards with zones (default 0)"},
    OptionSpec{"offset", "N", "first address (words on a 93C46A; default 0)"},
    OptionSpec{"length", "N", "how many addresses (default: to the end of the card or zone)"},
    OptionSpec{"output", "FILE", "write the bytes to FILE (- the standard output) instead of printing them"},
    OptionSpec{"hex", "", "print one line of hexadecimal digits instead of a dump"},
    OptionSpec{"json", "", "print one JSON object with the bytes in hexadecimal"},
    no_check_option,
};

constexpr std::array write_options{
    OptionSpec{"family", "NAME", "card family (sle4442, 24c02, 93c46a, at88sc1608, ...)"},
    OptionSpec{"zone", "Z", "zone, on cards with zones (default 0)"},
    OptionSpec{"offset", "N", "first address (words on a 93C46A; default 0)"},
    OptionSpec{"input", "FILE", "the bytes to write (- the standard input)"},
    OptionSpec{"data", "HEX", "the bytes to write, in hexadecimal"},
    OptionSpec{"code", "HEX", "present the card's security code first"},
    no_check_option,
};

const MemoryFamily& family_of(const Arguments& args) {
    const std::string name = args.required("family");
    const MemoryFamily* family = find_memory_family(name);
    if (!family) throw UsageError("no card family '" + name + "'; known: " + family_names(false));
    return *family;
}

long zone_of(const Arguments& args, const MemoryFamily& family) {
    if (!family.zoned()) {
        if (args.has("zone")) throw UsageError(std::string(family.name) + " has no zones");
        return 0;
    }
    return args.number("zone", 0, 0, largest_position);
}

// Reads or writes length units from offset in calls of units_per_call, with a progress bar.
// A length of 0 or less still makes one call, so that the library judges it.
void transfer(int32_t handle, const MemoryFamily& family, long zone, long offset, long length, uint8_t* bytes,
              bool writing) {
    // A bar only for transfers of several calls: a single call is over in a moment.
    ProgressBar bar(writing ? "write" : "read ", length > units_per_call ? length * family.unit_bytes : 0);
    long done = 0;
    do {
        const long count = std::min(units_per_call, length - done);
        const auto at = static_cast<int16_t>(offset + done);
        const auto n = static_cast<int16_t>(count);
        uint8_t* part = bytes + done * family.unit_bytes;
        const auto z = static_cast<int16_t>(zone);
        int16_t status;
        if (writing)
            status = family.zoned() ? family.zoned_write(handle, z, at, n, part) : family.write(handle, at, n, part);
        else
            status = family.zoned() ? family.zoned_read(handle, z, at, n, part) : family.read(handle, at, n, part);
        check(status, writing ? family.write_name : family.read_name);
        done += std::max(count, 1L);
        bar.update(std::min(done, length) * family.unit_bytes);
    } while (done < length);
}

void present_code_first(int32_t handle, const MemoryFamily& family, const std::string& code_text) {
    const CodeFamily* codes = find_code_family(family.name);
    if (!codes) throw UsageError(std::string(family.name) + " has no security code");
    const auto code = parse_hex(code_text, "--code");
    if (static_cast<int>(code.size()) != codes->code_bytes)
        throw UsageError("--code: " + std::string(family.name) + " codes are " + std::to_string(codes->code_bytes) + " bytes");
    present_code(handle, *codes, {}, code.data());
}

int run_read(const Arguments& args) {
    const MemoryFamily& family = family_of(args);
    const long zone = zone_of(args, family);
    const long offset = args.number("offset", 0, 0, largest_position);
    const long length = args.number("length", family.capacity_of(zone) - offset, 1, largest_position);
    ReaderSession session(args);
    check_family(session.handle(), family.name, args);
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
        if (family.zoned()) json.number("zone", zone);
        json.number("offset", offset).number("length", length).text("data", to_hex(bytes)).print();
    } else if (args.has("hex")) {
        std::printf("%s\n", to_hex(bytes).c_str());
    } else {
        print_dump(stdout, bytes, offset * family.unit_bytes);
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
    const MemoryFamily& family = family_of(args);
    const long zone = zone_of(args, family);
    const long offset = args.number("offset", 0, 0, largest_position);
    std::vector<uint8_t> data = data_of(args);
    if (data.empty() || data.size() % static_cast<size_t>(family.unit_bytes) != 0)
        throw UsageError("the data must be a whole number of " + std::to_string(family.unit_bytes) + "-byte units, at least one");
    const long length = static_cast<long>(data.size()) / family.unit_bytes;
    if (length > largest_position) throw UsageError("more data than a card holds");
    ReaderSession session(args);
    check_family(session.handle(), family.name, args);
    if (const auto code = args.value("code")) present_code_first(session.handle(), family, *code);
    transfer(session.handle(), family, zone, offset, length, data.data(), true);
    const std::string where = family.zoned() ? "zone " + std::to_string(zone) + ", offset " : "offset ";
    std::printf("wrote %zu byte%s to the %.*s card at %s%ld\n", data.size(), data.size() == 1 ? "" : "s",
                static_cast<int>(family.name.size()), family.name.data(), where.c_str(), offset);
    return 0;
}

}  // namespace

const Command& read_command() {
    static const Command command{"read", "", "read a card's memory: a hex dump, hex digits or a file", read_options, run_read};
    return command;
}

const Command& write_command() {
    static const Command command{"write", "", "write a card's memory from a file or hex digits", write_options, run_write};
    return command;
}

}  // namespace quillet_tool

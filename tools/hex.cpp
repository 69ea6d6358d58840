#include "tools/hex.h"

#include <algorithm>
#include <cctype>

#include "quillet.h"
#include "tools/arguments.h"

namespace quillet_tool {

namespace {

constexpr size_t dump_width = 16;

}  // namespace

std::vector<uint8_t> parse_hex(std::string_view text, std::string_view what) {
    std::string digits;
    for (const char c : text)
        if (c != ' ' && c != ':' && c != '\t') digits += c;
    if (digits.size() % 2 != 0) throw UsageError(std::string(what) + ": an odd number of hexadecimal digits");
    std::vector<uint8_t> bytes(digits.size() / 2);
    // asc_hex reads the text through its zero byte and upper-cases it in place.
    std::vector<uint8_t> writable(digits.begin(), digits.end());
    writable.push_back(0);
    if (asc_hex(writable.data(), bytes.data(), static_cast<int32_t>(bytes.size())) != 0)
        throw UsageError(std::string(what) + ": '" + std::string(text) + "' is not hexadecimal");
    return bytes;
}

std::string to_hex(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> text(2 * bytes.size() + 1);
    hex_asc(bytes.data(), text.data(), static_cast<int32_t>(bytes.size()));
    return std::string(text.begin(), text.end() - 1);
}

void print_dump(std::FILE* out, std::span<const uint8_t> bytes, long first_address) {
    for (size_t line = 0; line < bytes.size(); line += dump_width) {
        const auto row = bytes.subspan(line, std::min(dump_width, bytes.size() - line));
        std::fprintf(out, "%06lx ", first_address + static_cast<long>(line));
        const std::string digits = to_hex(row);
        for (size_t i = 0; i < dump_width; ++i) {
            if (i < row.size())
                std::fprintf(out, " %.2s", digits.c_str() + 2 * i);
            else
                std::fputs("   ", out);
        }
        std::fputs("  |", out);
        for (const uint8_t b : row) std::fputc(std::isprint(b) ? b : '.', out);
        std::fputs("|\n", out);
    }
}

}  // namespace quillet_tool

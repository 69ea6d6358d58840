#include "profile.h"

#include <algorithm>

namespace quillet::ui {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Splits off the next line; CR LF, LF and CR all end a line.
std::string_view next_line(std::string_view& text) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (end == std::string_view::npos) {
        text = {};
    } else {
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return line;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> section_name(std::string_view line) {
    if (!line.starts_with('[')) return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

}  // namespace

std::optional<std::string> find_profile_value(std::string_view text, std::string_view section, std::string_view key) {
    section = trim(section);
    key = trim(key);
    bool inside = false;
    while (!text.empty()) {
        const std::string_view line = trim(next_line(text));
        if (line.empty() || line.front() == ';') continue;
        if (const auto name = section_name(line)) {
            if (inside) return std::nullopt;  // the first section of that name ended without the key
            inside = same_name(*name, section);
            continue;
        }
        if (!inside) continue;
        const std::size_t equals = line.find('=');
        if (!same_name(trim(line.substr(0, equals)), key)) continue;
        if (equals == std::string_view::npos) return std::nullopt;
        return std::string(unquote(trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}

std::string profile_value(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view fallback) {
    return find_profile_value(text, section, key).value_or(std::string(fallback));
}

}  // namespace quillet::ui

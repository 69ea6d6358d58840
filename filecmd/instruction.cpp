#include "filecmd/instruction.h"

#include "filecmd/characters.h"

namespace quillet::filecmd {

namespace {

constexpr bool is_name_filler(char c) { return is_line_blank(c) || c == ',' || c == ';'; }

// Reads the text one character at a time; at_end() once the instruction's text is used up.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    bool at_end() const { return next_ >= text_.size(); }
    char take() { return text_[next_++]; }

private:
    std::string_view text_;
    size_t next_ = 0;
};

// An argument token up to ',' or ')' with the line blanks dropped; nullopt at the end of the text
// or when it grows beyond max_token characters.
struct Token {
    std::string text;
    char ended_by;
};
std::optional<Token> read_token(Cursor& in) {
    Token token;
    while (!in.at_end()) {
        const char c = in.take();
        if (c == ',' || c == ')') {
            token.ended_by = c;
            return token;
        }
        if (is_line_blank(c)) continue;
        if (token.text.size() == max_token) return std::nullopt;
        token.text.push_back(c);
    }
    return std::nullopt;
}

// "name" or "name/mode", the opening quote included; the closing quote and anything after it
// are not part of either.
bool read_output_file(std::string_view token, Instruction& record) {
    std::string_view rest = token.substr(1);
    const size_t name_end = rest.find_first_of("/\"");
    record.file = std::string(rest.substr(0, name_end));
    record.mode = "w";
    if (name_end != std::string_view::npos && rest[name_end] == '/') {
        rest = rest.substr(name_end + 1);
        record.mode = std::string(rest.substr(0, rest.find('"')));
        if (record.mode.size() > max_mode || !is_standard_open_mode(record.mode)) return false;
    }
    return record.file.size() <= max_file_name;
}

}  // namespace

bool is_standard_open_mode(std::string_view mode) {
    if (mode.empty() || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) return false;
    bool plus = false;
    bool binary_or_text = false;
    for (char c : mode.substr(1)) {
        if (c == '+' && !plus) {
            plus = true;
        } else if ((c == 'b' || c == 't') && !binary_or_text) {
            binary_or_text = true;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<int32_t> argument_number(std::string_view token) {
    // Unsigned arithmetic: a number too large for 32 bits wraps instead of overflowing.
    switch (token.size()) {
        case 0:
            return 0;
        case 1:
            return token[0] - '0';
        case 2:
            if (token[0] == '-') return -1;
            return (token[0] - '0') * 10 + (token[1] - '0');
        default:
            break;
    }
    if (token[0] == '-') return -1;
    uint32_t value = 0;
    if (token[1] == 'x' || token[1] == 'X') {  // whatever the first character is
        for (char c : token.substr(2)) {
            const int digit = hex_digit(c);
            if (digit < 0) return std::nullopt;
            value = value * 16u + static_cast<uint32_t>(digit);
        }
    } else {
        for (char c : token) {
            if (!is_decimal_digit(c)) break;
            value = value * 10u + static_cast<uint32_t>(c - '0');
        }
    }
    return static_cast<int32_t>(value);
}

std::optional<Instruction> parse_instruction(std::string_view text) {
    Instruction record;
    Cursor in(text);

    for (;;) {
        if (in.at_end()) return std::nullopt;
        const char c = in.take();
        if (c == '(') break;
        if (is_name_filler(c)) continue;
        if (record.name.size() == max_name) return std::nullopt;
        record.name.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }

    // The first argument stands for the port handle.
    for (;;) {
        if (in.at_end()) return std::nullopt;
        const char c = in.take();
        if (c == ')') return record;
        if (c == ',') break;
    }

    size_t numbers = 0;
    for (;;) {
        std::optional<Token> token = read_token(in);
        if (!token) return std::nullopt;
        if (!token->text.empty() && token->text[0] == '"') {
            if (!read_output_file(token->text, record)) return std::nullopt;
            return record;
        }
        if (!token->text.empty() && token->text[0] == '*') {
            record.file = "*";
            return record;
        }
        if (numbers == record.numbers.size()) return std::nullopt;  // no fifth number slot
        const std::optional<int32_t> value = argument_number(token->text);
        if (!value) return std::nullopt;
        record.numbers[numbers++] = *value;
        if (token->ended_by == ')') return record;
    }
}

}  // namespace quillet::filecmd

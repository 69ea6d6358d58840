#include "filecmd/data_block.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <utility>

#include "filecmd/characters.h"

namespace quillet::filecmd {

namespace {

constexpr bool ends_number(char c) {
    return c == ',' || c == ' ' || c == ')' || c == '}' || c == '\n' || c == '\t' || c == '\r' || c == '(';
}

// A carriage return ends a count too, so that files with Windows line ends read as with Unix ones.
constexpr bool ends_count(char c) {
    return c == ',' || c == ' ' || c == '}' || c == '\t' || c == '\n' || c == ';' || c == '\r';
}

// One byte: "0x" and hexadecimal digits, or decimal digits, taken modulo 256.
std::optional<uint8_t> data_number(std::string_view token) {
    unsigned value = 0;
    if (has_hex_prefix(token)) {
        if (token.size() == 2) return std::nullopt;
        for (char c : token.substr(2)) {
            const int digit = hex_digit(c);
            if (digit < 0) return std::nullopt;
            value = (value * 16u + static_cast<unsigned>(digit)) % 256u;
        }
    } else {
        for (char c : token) {
            if (!is_decimal_digit(c)) return std::nullopt;
            value = (value * 10u + static_cast<unsigned>(c - '0')) % 256u;
        }
    }
    return static_cast<uint8_t>(value);
}

// A repeat count or a file item's offset or length: decimal, or "0x" hexadecimal where allowed.
// nullopt for any other character or a value beyond 32 bits.
std::optional<uint32_t> unsigned_number(std::string_view token, bool hex_allowed) {
    uint64_t value = 0;
    const bool hex = hex_allowed && has_hex_prefix(token);
    for (char c : hex ? token.substr(2) : token) {
        const int digit = hex ? hex_digit(c) : (is_decimal_digit(c) ? c - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16u : 10u) + static_cast<uint64_t>(digit);
        if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

class BlockBuilder {
public:
    BlockBuilder(std::string_view block, DataFiles& files, size_t limit) : text_(block), files_(files), limit_(limit) {}

    std::optional<Bytes> build() {
        while (next_ < text_.size()) {
            const char c = text_[next_];
            if (c == '}') break;
            bool item_ok = true;
            if (c == '"') {
                item_ok = string_item();
            } else if (c == '\'') {
                item_ok = character_item();
            } else if (is_decimal_digit(c)) {
                item_ok = number_item();
            } else if (c == '<') {
                item_ok = file_item();
            } else if (c == '(') {
                group_start_ = data_.size();  // groups do not nest: the latest '(' starts the group
                ++next_;
            } else if (c == ')') {
                item_ok = group_end();
            } else {
                ++next_;  // blanks, commas and any other character between items
            }
            if (!item_ok) return std::nullopt;
        }
        if (data_.empty()) return Bytes(empty_data_marker.begin(), empty_data_marker.end());
        return std::move(data_);
    }

private:
    bool append(std::string_view bytes) {
        if (bytes.size() > limit_ - data_.size()) return false;
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return true;
    }

    // The characters from next_ up to (not including) the first one that ends the token.
    template <typename Ends>
    std::string_view token(Ends ends) {
        const size_t start = next_;
        while (next_ < text_.size() && !ends(text_[next_])) ++next_;
        return text_.substr(start, next_ - start);
    }

    // Moves past the next occurrence of c; false when there is none.
    bool skip_past(char c) {
        const size_t at = text_.find(c, next_);
        if (at == std::string_view::npos) return false;
        next_ = at + 1;
        return true;
    }

    void skip_blanks() {
        while (next_ < text_.size() && is_line_blank(text_[next_])) ++next_;
    }

    bool string_item() {
        const size_t start = ++next_;
        if (!skip_past('"')) return false;
        return append(text_.substr(start, next_ - 1 - start));
    }

    // 'c...': the single character c; the rest up to the closing quote is skipped.
    bool character_item() {
        if (++next_ >= text_.size()) return false;
        const size_t at = next_++;
        return skip_past('\'') && append(text_.substr(at, 1));
    }

    bool number_item() {
        const std::optional<uint8_t> value = data_number(token(ends_number));
        if (!value) return false;
        const char byte = static_cast<char>(*value);
        return append(std::string_view(&byte, 1));
    }

    // "[digits]" at next_; nullopt when the text ends first or it holds another character.
    std::optional<uint32_t> bracketed_number() {
        std::string digits;
        for (++next_; next_ < text_.size() && text_[next_] != ']'; ++next_)
            if (!is_line_blank(text_[next_])) digits.push_back(text_[next_]);
        if (next_ >= text_.size()) return std::nullopt;
        ++next_;
        return unsigned_number(digits, false);
    }

    // <name>, then optionally [offset] and [length]. The first character after '>' (or after the
    // offset's ']' when no length follows) that is not a blank belongs to the item: the comma
    // that separates it from the next item.
    bool file_item() {
        std::string name;
        for (++next_; next_ < text_.size() && text_[next_] != '>'; ++next_)
            if (!is_line_blank(text_[next_])) name.push_back(text_[next_]);
        if (next_ >= text_.size()) return false;
        ++next_;
        uint32_t offset = 0;
        uint32_t length = 0;
        skip_blanks();
        bool consume_one = true;
        if (next_ < text_.size() && text_[next_] == '[') {
            const std::optional<uint32_t> given_offset = bracketed_number();
            if (!given_offset) return false;
            offset = *given_offset;
            skip_blanks();
            if (next_ < text_.size() && text_[next_] == '[') {
                const std::optional<uint32_t> given_length = bracketed_number();
                if (!given_length) return false;
                length = *given_length;
                consume_one = false;
            }
        }
        if (consume_one && next_ < text_.size()) ++next_;
        return files_.append(name, offset, length, data_, limit_);
    }

    // ")*count": the group's bytes count times in all (0 and 1 leave one copy).
    bool group_end() {
        if (++next_ >= text_.size() || text_[next_] != '*') return false;
        ++next_;
        const std::optional<uint32_t> count = unsigned_number(token(ends_count), true);
        if (!count) return false;
        const size_t group_size = data_.size() - group_start_;
        if (*count <= 1 || group_size == 0) return true;
        const size_t copies = *count - 1;
        if (copies > (limit_ - data_.size()) / group_size) return false;
        const Bytes group(data_.begin() + static_cast<std::ptrdiff_t>(group_start_), data_.end());
        data_.reserve(data_.size() + copies * group_size);
        for (size_t i = 0; i < copies; ++i) data_.insert(data_.end(), group.begin(), group.end());
        return true;
    }

    std::string_view text_;
    DataFiles& files_;
    size_t limit_;
    size_t next_ = 0;
    size_t group_start_ = 0;
    Bytes data_;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool DiskFiles::append(const std::string& name, uint32_t offset, uint32_t length, Bytes& out, size_t limit) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "rb"));
    if (!file || !std::in_range<long>(offset)) return false;
    if (std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0) return false;
    const size_t kept = out.size();
    if (length != 0) {
        if (length > limit - kept) return false;
        out.resize(kept + length);
        if (std::fread(out.data() + kept, 1, length, file.get()) != length) {
            out.resize(kept);
            return false;
        }
        return true;
    }
    uint8_t chunk[4096];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got > limit - out.size()) {
            out.resize(kept);
            return false;
        }
        out.insert(out.end(), chunk, chunk + got);
        if (got < sizeof chunk) break;
    }
    if (std::ferror(file.get())) {
        out.resize(kept);
        return false;
    }
    return true;
}

std::optional<Bytes> build_data(std::string_view instruction_text, DataFiles& files, size_t limit) {
    const size_t brace = instruction_text.find('{');
    if (brace == std::string_view::npos) return std::nullopt;
    return BlockBuilder(instruction_text.substr(brace + 1), files, limit).build();
}

int32_t data_length(const Bytes& data) {
    if (std::string_view(reinterpret_cast<const char*>(data.data()), data.size()) == empty_data_marker) return -1;
    return static_cast<int32_t>(data.size());
}

}  // namespace quillet::filecmd

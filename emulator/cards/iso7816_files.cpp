#include "emulator/cards/iso7816_files.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace vreader::iso7816 {

namespace {

// The factory contents: one application DF (name F0 51 56 52) holding a holder name anyone may
// read, a secret readable after the PIN, and three records of 16 bytes.
constexpr std::string_view factory_description = R"(atr 3B 95 11 81 31 FE 45 80 43 51 56 52 19
pin 01 tries=3 left=3 value=31323334
binary 3F00/2F02 read=always update=never data=51564300000000000001
df 3F00/5F10 name=F0515652
binary 3F00/5F10/0101 read=always update=pin01 data=5155494C4C455420484F4C4445522031
binary 3F00/5F10/0102 read=pin01 update=pin01 size=32 data=5345435245542044415441
record 3F00/5F10/0103 read=always update=pin01 data=01000000000000000000000000000000
record 3F00/5F10/0103 read=always update=pin01 data=02000000000000000000000000000000
record 3F00/5F10/0103 read=always update=pin01 data=03000000000000000000000000000000
)";

std::vector<std::string_view> split_words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<uint32_t> hex_number(std::string_view text, uint32_t limit) {
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > limit) return std::nullopt;
    return value;
}

std::string hex_word(uint32_t value, int digits) {
    std::ostringstream s;
    s << std::uppercase << std::hex;
    s.width(digits);
    s.fill('0');
    s << value;
    return s.str();
}

std::string packed_hex(const Bytes& bytes) {
    std::string text = to_hex(bytes);
    std::erase(text, ' ');
    return text;
}

std::optional<Access> parse_access(std::string_view text) {
    if (text == "always") return Access{Access::Rule::always, 0};
    if (text == "never") return Access{Access::Rule::never, 0};
    if (text.substr(0, 3) != "pin") return std::nullopt;
    const auto reference = hex_number(text.substr(3), 0xFF);
    if (!reference) return std::nullopt;
    return Access{Access::Rule::pin, static_cast<uint8_t>(*reference)};
}

std::string access_text(const Access& a) {
    switch (a.rule) {
        case Access::Rule::always:
            return "always";
        case Access::Rule::never:
            return "never";
        case Access::Rule::pin:
            break;
    }
    return "pin" + hex_word(a.pin, 2);
}

// key=value fields after the keyword and its first argument.
class Fields {
public:
    bool parse(const std::vector<std::string_view>& words, size_t from, std::string& error) {
        for (size_t i = from; i < words.size(); ++i) {
            const auto eq = words[i].find('=');
            if (eq == std::string_view::npos || eq == 0) {
                error = "key=value expected, not '" + std::string(words[i]) + "'";
                return false;
            }
            entries_.emplace_back(words[i].substr(0, eq), words[i].substr(eq + 1));
        }
        return true;
    }
    std::optional<std::string_view> get(std::string_view key) {
        for (auto& [k, v] : entries_)
            if (k == key) {
                k = {};  // taken
                return v;
            }
        return std::nullopt;
    }
    // A key that no one asked for.
    std::optional<std::string_view> unused() const {
        for (const auto& [k, v] : entries_)
            if (!k.empty()) return k;
        return std::nullopt;
    }

private:
    std::vector<std::pair<std::string_view, std::string_view>> entries_;
};

class Parser {
public:
    explicit Parser(std::string& error) : error_(error) {
        CardFile mf;
        mf.id = mf_id;
        image_.files.push_back(mf);
    }

    bool line(std::string_view text) {
        if (const auto hash = text.find('#'); hash != std::string_view::npos) text = text.substr(0, hash);
        const auto words = split_words(text);
        if (words.empty()) return true;
        if (words[0] == "atr") return atr(text.substr(text.find("atr") + 3));
        if (words.size() < 2) return fail("'" + std::string(words[0]) + "' needs an argument");
        Fields fields;
        if (!fields.parse(words, 2, error_)) return false;
        bool ok = false;
        if (words[0] == "pin")
            ok = pin(words[1], fields);
        else if (words[0] == "df")
            ok = df(words[1], fields);
        else if (words[0] == "binary")
            ok = binary(words[1], fields);
        else if (words[0] == "record")
            ok = record(words[1], fields);
        else
            return fail("unknown keyword '" + std::string(words[0]) + "'");
        if (!ok) return false;
        if (const auto key = fields.unused())
            return fail("'" + std::string(*key) + "' does not belong to " + std::string(words[0]));
        return true;
    }

    std::optional<CardImage> finish() {
        if (image_.atr.empty()) {
            fail("no atr line");
            return std::nullopt;
        }
        return std::move(image_);
    }

private:
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }

    bool atr(std::string_view text) {
        const auto bytes = from_hex(text);
        if (!bytes || bytes->size() < atr_min || bytes->size() > atr_max)
            return fail("atr: 2 to 33 hex bytes expected");
        image_.atr = *bytes;
        return true;
    }

    bool pin(std::string_view reference_text, Fields& fields) {
        const auto reference = hex_number(reference_text, 0xFF);
        if (!reference) return fail("pin: reference in hex expected");
        if (image_.find_pin(static_cast<uint8_t>(*reference)))
            return fail("pin " + std::string(reference_text) + " twice");
        Pin p;
        p.reference = static_cast<uint8_t>(*reference);
        const auto value = fields.get("value");
        const auto bytes = value ? from_hex(*value) : std::nullopt;
        if (!bytes || bytes->empty() || bytes->size() > pin_max)
            return fail("pin: value=HEX of 1 to 16 bytes expected");
        p.value = *bytes;
        if (!small_number(fields.get("tries"), tries_max, p.tries) || p.tries == 0)
            return fail("pin: tries=1..15 expected");
        p.left = p.tries;
        if (!small_number(fields.get("left"), p.tries, p.left)) return fail("pin: left=0..tries expected");
        image_.pins.push_back(std::move(p));
        return true;
    }

    // An absent field leaves the value as it is.
    static bool small_number(std::optional<std::string_view> text, uint8_t limit, uint8_t& value) {
        if (!text) return true;
        const auto n = parse_number(*text);
        if (!n || *n > limit) return false;
        value = static_cast<uint8_t>(*n);
        return true;
    }

    // Resolves PATH to (parent DF, file id); the parent must exist and be a DF.
    bool resolve(std::string_view path, int& parent, uint16_t& id) {
        std::vector<uint16_t> ids;
        size_t start = 0;
        while (start <= path.size()) {
            const size_t slash = std::min(path.find('/', start), path.size());
            const auto n = hex_number(path.substr(start, slash - start), 0xFFFF);
            if (!n || slash - start != 4)
                return fail("path '" + std::string(path) + "': 4-digit hex file identifiers expected");
            ids.push_back(static_cast<uint16_t>(*n));
            start = slash + 1;
        }
        if (ids.front() != mf_id) return fail("path '" + std::string(path) + "' must start at 3F00");
        parent = -1;
        int current = 0;
        for (size_t i = 1; i < ids.size(); ++i) {
            parent = current;
            if (i + 1 == ids.size()) break;
            current = image_.find_child(current, ids[i]);
            if (current < 0 || image_.files[static_cast<size_t>(current)].kind != FileKind::dedicated)
                return fail("path '" + std::string(path) + "': no DF " + hex_word(ids[i], 4) + " declared before");
        }
        id = ids.back();
        return true;
    }

    bool new_file(std::string_view path, FileKind kind, int& index) {
        int parent = -1;
        uint16_t id = 0;
        if (!resolve(path, parent, id)) return false;
        if (parent < 0) {
            if (kind != FileKind::dedicated) return fail("3F00 is the MF");
            index = 0;
            return true;
        }
        if (id == mf_id) return fail("3F00 is the MF");
        index = image_.find_child(parent, id);
        if (index >= 0) return true;  // known already (a record file's further records)
        if (std::count_if(image_.files.begin(), image_.files.end(),
                          [&](const CardFile& f) { return f.parent == parent; }) >= 255)
            return fail("too many files in one DF");
        CardFile file;
        file.kind = kind;
        file.id = id;
        file.parent = parent;
        image_.files.push_back(std::move(file));
        index = static_cast<int>(image_.files.size() - 1);
        return true;
    }

    bool access_fields(Fields& fields, CardFile& file) {
        for (auto [key, target] : {std::pair{"read", &file.read}, std::pair{"update", &file.update}}) {
            const auto text = fields.get(key);
            if (!text) continue;
            const auto a = parse_access(*text);
            if (!a) return fail(std::string(key) + "=always|never|pinXX expected");
            *target = *a;
        }
        return true;
    }

    // The file a declaration names, added if new; null (the error set) when the path names a file of another kind.
    CardFile* declared(std::string_view path, FileKind kind, std::string_view other_kind) {
        int index = -1;
        if (!new_file(path, kind, index)) return nullptr;
        CardFile& file = image_.files[static_cast<size_t>(index)];
        if (file.kind != kind) {
            fail(std::string(path) + std::string(other_kind));
            return nullptr;
        }
        return &file;
    }

    bool df(std::string_view path, Fields& fields) {
        CardFile* const file = declared(path, FileKind::dedicated, " is not a DF");
        if (!file) return false;
        if (const auto name = fields.get("name")) {
            const auto bytes = from_hex(*name);
            if (!bytes || bytes->empty() || bytes->size() > name_max)
                return fail("df: name=HEX of 1 to 16 bytes expected");
            file->name = *bytes;
        }
        return true;
    }

    bool binary(std::string_view path, Fields& fields) {
        CardFile* const file = declared(path, FileKind::transparent, " declared twice");
        if (!file) return false;
        if (!file->data.empty()) return fail(std::string(path) + " declared twice");
        if (!access_fields(fields, *file)) return false;
        const auto data = fields.get("data");
        const auto bytes = data ? from_hex(*data) : std::optional<Bytes>(Bytes{});
        if (!bytes) return fail("binary: data=HEX expected");
        file->data = *bytes;
        if (const auto size = fields.get("size")) {
            const auto n = parse_number(*size);
            if (!n || *n < file->data.size() || *n > transparent_max)
                return fail("binary: size=N from the data's length to 32767 expected");
            file->data.resize(*n, 0x00);
        }
        if (file->data.empty() || file->data.size() > transparent_max) return fail("binary: 1 to 32767 bytes expected");
        return true;
    }

    bool record(std::string_view path, Fields& fields) {
        CardFile* const file = declared(path, FileKind::records, " is not a record file");
        if (!file) return false;
        if (!access_fields(fields, *file)) return false;
        const auto data = fields.get("data");
        const auto bytes = data ? from_hex(*data) : std::nullopt;
        if (!bytes || bytes->empty() || bytes->size() > record_max)
            return fail("record: data=HEX of 1 to 255 bytes expected");
        if (!file->records.empty() && bytes->size() != file->records.front().size())
            return fail("record: all records of a file have one length");
        if (file->records.size() == records_max) return fail("record: at most 254 records");
        file->records.push_back(*bytes);
        return true;
    }

    std::string& error_;
    CardImage image_;
};

std::string path_of(const CardImage& image, int index) {
    std::string path;
    for (int i = index; i >= 0; i = image.files[static_cast<size_t>(i)].parent)
        path = hex_word(image.files[static_cast<size_t>(i)].id, 4) + (path.empty() ? "" : "/") + path;
    return path;
}

}  // namespace

int CardImage::find_child(int df, uint16_t id) const {
    for (size_t i = 1; i < files.size(); ++i)
        if (files[i].parent == df && files[i].id == id) return static_cast<int>(i);
    return -1;
}

Pin* CardImage::find_pin(uint8_t reference) {
    for (Pin& p : pins)
        if (p.reference == reference) return &p;
    return nullptr;
}

CardImage factory_image() {
    std::string error;
    return *parse_description(factory_description, error);
}

std::optional<CardImage> parse_description(std::string_view text, std::string& error) {
    Parser parser(error);
    size_t number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!parser.line(line)) {
            error = "line " + std::to_string(number) + ": " + error;
            return std::nullopt;
        }
    }
    return parser.finish();
}

std::string describe(const CardImage& image) {
    std::ostringstream out;
    out << "# quillet-vreader processor card (docs/vreader.md)\n";
    out << "atr " << to_hex(image.atr) << "\n";
    for (const Pin& p : image.pins)
        out << "pin " << hex_word(p.reference, 2) << " tries=" << int{p.tries} << " left=" << int{p.left}
            << " value=" << packed_hex(p.value) << "\n";
    for (size_t i = 0; i < image.files.size(); ++i) {
        const CardFile& f = image.files[i];
        const std::string path = path_of(image, static_cast<int>(i));
        const std::string rules = " read=" + access_text(f.read) + " update=" + access_text(f.update);
        switch (f.kind) {
            case FileKind::dedicated:
                if (i > 0 || !f.name.empty())
                    out << "df " << path << (f.name.empty() ? "" : " name=" + packed_hex(f.name)) << "\n";
                break;
            case FileKind::transparent:
                out << "binary " << path << rules << " data=" << packed_hex(f.data) << "\n";
                break;
            case FileKind::records:
                for (const Bytes& r : f.records) out << "record " << path << rules << " data=" << packed_hex(r) << "\n";
                break;
        }
    }
    return out.str();
}

}  // namespace vreader::iso7816

#include "emulator/cards/iso7816_app.h"

#include <algorithm>
#include <array>

namespace vreader::iso7816 {

namespace {

namespace sw {
inline constexpr uint16_t ok = 0x9000;
inline constexpr uint16_t more_data = 0x6100;   // + bytes left (00: 256 or more)
inline constexpr uint16_t tries_left = 0x63C0;  // + retries left
inline constexpr uint16_t wrong_length = 0x6700;
inline constexpr uint16_t not_records = 0x6981;  // command incompatible with file structure
inline constexpr uint16_t not_granted = 0x6982;  // security status not satisfied
inline constexpr uint16_t blocked = 0x6983;      // authentication method blocked
inline constexpr uint16_t conditions = 0x6985;   // conditions of use not satisfied
inline constexpr uint16_t no_current_ef = 0x6986;
inline constexpr uint16_t not_found = 0x6A82;
inline constexpr uint16_t no_record = 0x6A83;
inline constexpr uint16_t no_space = 0x6A84;
inline constexpr uint16_t wrong_p1p2 = 0x6A86;
inline constexpr uint16_t no_reference = 0x6A88;
inline constexpr uint16_t bad_offset = 0x6B00;
inline constexpr uint16_t exact_length = 0x6C00;  // + the right Le
inline constexpr uint16_t unknown_ins = 0x6D00;
inline constexpr uint16_t unknown_cla = 0x6E00;
}  // namespace sw

inline constexpr size_t challenge_size = 8;

inline constexpr uint8_t get_response_ins = 0xC0;

// SW1 with a count in SW2; a count beyond 255 is written 00 (61 00: 256 bytes or more are left).
uint16_t with_count(uint16_t base, size_t n) { return static_cast<uint16_t>(n > 0xFF ? base : base | n); }

// The file descriptor byte of the control parameters.
uint8_t descriptor_byte(FileKind kind) {
    switch (kind) {
        case FileKind::transparent:
            return 0x01;
        case FileKind::records:
            return 0x02;  // linear fixed
        case FileKind::dedicated:
            break;
    }
    return 0x38;
}

void put_tlv(Bytes& out, uint8_t tag, std::span<const uint8_t> value) {
    out.push_back(tag);
    out.push_back(static_cast<uint8_t>(value.size()));
    out.insert(out.end(), value.begin(), value.end());
}

}  // namespace

void Application::start_session() {
    current_df_ = 0;
    current_ef_ = -1;
    presented_.reset();
    pending_.clear();
}

void Application::load(CardImage image) {
    image_ = std::move(image);
    start_session();
}

std::optional<Application::Command> Application::parse(std::span<const uint8_t> apdu) {
    if (apdu.size() < 4) return std::nullopt;
    Command c{apdu[0], apdu[1], apdu[2], apdu[3], {}, std::nullopt};
    if (apdu.size() == 4) return c;
    const auto le = [](uint8_t b) { return b == 0 ? size_t{256} : size_t{b}; };
    if (apdu.size() == 5) {
        c.ne = le(apdu[4]);
        return c;
    }
    const size_t lc = apdu[4];
    if (lc == 0 || apdu.size() < 5 + lc || apdu.size() > 6 + lc)
        return std::nullopt;  // extended lengths: not supported
    c.data = apdu.subspan(5, lc);
    if (apdu.size() == 6 + lc) c.ne = le(apdu.back());
    return c;
}

Application::Response Application::dispatch(const Command& c) {
    struct Instruction {
        uint8_t ins;
        Response (Application::*run)(const Command&);
    };
    static constexpr std::array<Instruction, 8> instructions{{
        {0xA4, &Application::select},
        {0xB0, &Application::read_binary},
        {0xD6, &Application::update_binary},
        {0xB2, &Application::read_record},
        {0xDC, &Application::update_record},
        {0x84, &Application::get_challenge},
        {0x20, &Application::verify},
        {0xC0, &Application::get_response},
    }};
    for (const auto& i : instructions)
        if (i.ins == c.ins) return (this->*i.run)(c);
    return {{}, sw::unknown_ins};
}

Bytes Application::process(std::span<const uint8_t> apdu) {
    const auto c = parse(apdu);
    // What a case-4 command left is for the GET RESPONSE right after it only.
    if (!c || c->ins != get_response_ins) pending_.clear();
    Response r;
    if (!c)
        r.sw = sw::wrong_length;
    else if (c->cla != 0x00)
        r.sw = sw::unknown_cla;
    else
        r = dispatch(*c);
    Bytes out = std::move(r.data);
    out.push_back(static_cast<uint8_t>(r.sw >> 8));
    out.push_back(static_cast<uint8_t>(r.sw));
    return out;
}

// ---- selection ----

int Application::select_by_id(uint16_t id) const {
    if (id == mf_id) return 0;
    const int parent = image_.files[static_cast<size_t>(current_df_)].parent;
    if (const int child = image_.find_child(current_df_, id); child >= 0) return child;
    if (image_.files[static_cast<size_t>(current_df_)].id == id) return current_df_;
    if (parent >= 0 && image_.files[static_cast<size_t>(parent)].id == id) return parent;
    if (parent >= 0) return image_.find_child(parent, id);
    return -1;
}

int Application::select_by_name(std::span<const uint8_t> name) const {
    for (size_t i = 0; i < image_.files.size(); ++i) {
        const Bytes& n = image_.files[i].name;
        if (image_.files[i].kind == FileKind::dedicated && n.size() >= name.size() &&
            std::equal(name.begin(), name.end(), n.begin()))
            return static_cast<int>(i);
    }
    return -1;
}

void Application::make_current(int index) {
    const CardFile& f = image_.files[static_cast<size_t>(index)];
    if (f.kind == FileKind::dedicated) {
        current_df_ = index;
        current_ef_ = -1;
    } else {
        current_df_ = f.parent;
        current_ef_ = index;
    }
}

// FCP (tag 62): descriptor, identifier, size, name. FCI (tag 6F): a named DF's name alone, else
// the same objects.
Bytes Application::control_parameters(int index, uint8_t template_tag) const {
    const CardFile& f = image_.files[static_cast<size_t>(index)];
    Bytes inner;
    if (template_tag == 0x6F && !f.name.empty()) {
        put_tlv(inner, 0x84, f.name);
    } else {
        if (f.kind == FileKind::records) {
            const Bytes descriptor{descriptor_byte(f.kind), 0x41, 0x00, static_cast<uint8_t>(f.records.front().size()),
                                   static_cast<uint8_t>(f.records.size())};
            put_tlv(inner, 0x82, descriptor);
        } else {
            put_tlv(inner, 0x82, Bytes{descriptor_byte(f.kind)});
        }
        put_tlv(inner, 0x83, Bytes{static_cast<uint8_t>(f.id >> 8), static_cast<uint8_t>(f.id)});
        if (f.kind == FileKind::transparent)
            put_tlv(inner, 0x80, Bytes{static_cast<uint8_t>(f.data.size() >> 8), static_cast<uint8_t>(f.data.size())});
        if (!f.name.empty()) put_tlv(inner, 0x84, f.name);
    }
    Bytes out;
    put_tlv(out, template_tag, inner);
    return out;
}

Application::Response Application::select(const Command& c) {
    if (c.p2 != 0x00 && c.p2 != 0x04 && c.p2 != 0x0C) return {{}, sw::wrong_p1p2};
    const bool by_id = c.p1 <= 0x02;
    if (by_id && !(c.data.size() == 2 || (c.p1 == 0x00 && c.data.empty()))) return {{}, sw::wrong_length};
    const uint16_t id = c.data.size() == 2 ? static_cast<uint16_t>(c.data[0] << 8 | c.data[1]) : mf_id;
    int found = -1;
    switch (c.p1) {
        case 0x00:
            found = select_by_id(id);
            break;
        case 0x01:
        case 0x02:
            found = image_.find_child(current_df_, id);
            if (found >= 0 && (image_.files[static_cast<size_t>(found)].kind == FileKind::dedicated) != (c.p1 == 0x01))
                found = -1;
            break;
        case 0x03:
            if (!c.data.empty()) return {{}, sw::wrong_length};
            found = image_.files[static_cast<size_t>(current_df_)].parent;
            break;
        case 0x04:
            if (c.data.empty() || c.data.size() > name_max) return {{}, sw::wrong_length};
            found = select_by_name(c.data);
            break;
        default:
            return {{}, sw::wrong_p1p2};
    }
    if (found < 0) return {{}, sw::not_found};
    make_current(found);
    if (c.p2 == 0x0C || !c.ne) return {};
    Bytes info = control_parameters(found, c.p2 == 0x04 ? 0x62 : 0x6F);
    if (c.case4()) {
        pending_ = std::move(info);
        return {{}, with_count(sw::more_data, pending_.size())};
    }
    if (*c.ne != info.size()) return {{}, with_count(sw::exact_length, info.size())};
    return {std::move(info), sw::ok};
}

// ---- files ----

bool Application::granted(const Access& access) const {
    switch (access.rule) {
        case Access::Rule::always:
            return true;
        case Access::Rule::never:
            return false;
        case Access::Rule::pin:
            break;
    }
    return presented_.test(access.pin);
}

// A short identifier (1..30) names the EF of the current DF whose identifier ends in it and makes
// it current; 0 keeps the current EF. Returns the failing status word, if any.
std::optional<uint16_t> Application::target_ef(uint8_t sfi, FileKind kind, int& index) {
    if (sfi != 0) {
        index = -1;
        for (size_t i = 1; i < image_.files.size(); ++i) {
            const CardFile& f = image_.files[i];
            if (f.parent == current_df_ && f.kind != FileKind::dedicated && (f.id & 0x1F) == sfi)
                index = static_cast<int>(i);
        }
        if (index < 0) return sw::not_found;
        make_current(index);
    } else {
        index = current_ef_;
        if (index < 0) return sw::no_current_ef;
    }
    if (image_.files[static_cast<size_t>(index)].kind != kind) return sw::not_records;
    return std::nullopt;
}

Application::Response Application::read_binary(const Command& c) {
    if (!c.ne || !c.data.empty()) return {{}, sw::wrong_length};
    const bool short_id = (c.p1 & 0x80) != 0;
    if (short_id && (c.p1 & 0x60) != 0) return {{}, sw::wrong_p1p2};
    int index = -1;
    if (const auto failure = target_ef(short_id ? c.p1 & 0x1F : 0, FileKind::transparent, index)) return {{}, *failure};
    const CardFile& f = image_.files[static_cast<size_t>(index)];
    if (!granted(f.read)) return {{}, sw::not_granted};
    const size_t offset = short_id ? c.p2 : static_cast<size_t>((c.p1 & 0x7F) << 8 | c.p2);
    if (offset >= f.data.size()) return {{}, sw::bad_offset};
    const size_t left = f.data.size() - offset;
    if (*c.ne > left) return {{}, with_count(sw::exact_length, left)};
    const auto from = f.data.begin() + static_cast<std::ptrdiff_t>(offset);
    return {Bytes(from, from + static_cast<std::ptrdiff_t>(*c.ne)), sw::ok};
}

Application::Response Application::update_binary(const Command& c) {
    if (c.data.empty()) return {{}, sw::wrong_length};
    const bool short_id = (c.p1 & 0x80) != 0;
    if (short_id && (c.p1 & 0x60) != 0) return {{}, sw::wrong_p1p2};
    int index = -1;
    if (const auto failure = target_ef(short_id ? c.p1 & 0x1F : 0, FileKind::transparent, index)) return {{}, *failure};
    CardFile& f = image_.files[static_cast<size_t>(index)];
    if (!granted(f.update)) return {{}, sw::not_granted};
    const size_t offset = short_id ? c.p2 : static_cast<size_t>((c.p1 & 0x7F) << 8 | c.p2);
    if (offset > f.data.size()) return {{}, sw::bad_offset};
    if (c.data.size() > f.data.size() - offset) return {{}, sw::no_space};
    std::copy(c.data.begin(), c.data.end(), f.data.begin() + static_cast<std::ptrdiff_t>(offset));
    changed_ = true;
    return {};
}

Application::Response Application::read_record(const Command& c) {
    if (!c.ne || !c.data.empty()) return {{}, sw::wrong_length};
    if ((c.p2 & 0x07) != 0x04 || c.p1 == 0) return {{}, sw::wrong_p1p2};
    int index = -1;
    if (const auto failure = target_ef(c.p2 >> 3, FileKind::records, index)) return {{}, *failure};
    const CardFile& f = image_.files[static_cast<size_t>(index)];
    if (!granted(f.read)) return {{}, sw::not_granted};
    if (c.p1 > f.records.size()) return {{}, sw::no_record};
    const Bytes& record = f.records[c.p1 - 1u];
    if (*c.ne != record.size()) return {{}, with_count(sw::exact_length, record.size())};
    return {record, sw::ok};
}

Application::Response Application::update_record(const Command& c) {
    if (c.data.empty()) return {{}, sw::wrong_length};
    if ((c.p2 & 0x07) != 0x04 || c.p1 == 0) return {{}, sw::wrong_p1p2};
    int index = -1;
    if (const auto failure = target_ef(c.p2 >> 3, FileKind::records, index)) return {{}, *failure};
    CardFile& f = image_.files[static_cast<size_t>(index)];
    if (!granted(f.update)) return {{}, sw::not_granted};
    if (c.p1 > f.records.size()) return {{}, sw::no_record};
    Bytes& record = f.records[c.p1 - 1u];
    if (c.data.size() != record.size()) return {{}, sw::wrong_length};
    record.assign(c.data.begin(), c.data.end());
    changed_ = true;
    return {};
}

// ---- security ----

Application::Response Application::get_challenge(const Command& c) {
    if (c.p1 != 0 || c.p2 != 0) return {{}, sw::wrong_p1p2};
    if (!c.ne || !c.data.empty()) return {{}, sw::wrong_length};
    if (*c.ne != challenge_size) return {{}, with_count(sw::exact_length, challenge_size)};
    Bytes challenge(challenge_size);
    for (auto& b : challenge) b = static_cast<uint8_t>(random_());
    return {std::move(challenge), sw::ok};
}

Application::Response Application::verify(const Command& c) {
    if (c.p1 != 0x00) return {{}, sw::wrong_p1p2};
    Pin* pin = image_.find_pin(c.p2);
    if (!pin) return {{}, sw::no_reference};
    if (c.ne) return {{}, sw::wrong_length};
    if (c.data.empty()) {
        if (presented_.test(pin->reference)) return {};
        return {{}, pin->left == 0 ? sw::blocked : with_count(sw::tries_left, pin->left)};
    }
    if (pin->left == 0) return {{}, sw::blocked};
    if (c.data.size() != pin->value.size()) return {{}, sw::wrong_length};
    if (std::equal(c.data.begin(), c.data.end(), pin->value.begin())) {
        changed_ = changed_ || pin->left != pin->tries;
        pin->left = pin->tries;
        presented_.set(pin->reference);
        return {};
    }
    --pin->left;
    changed_ = true;
    presented_.reset(pin->reference);
    return {{}, with_count(sw::tries_left, pin->left)};
}

// ---- GET RESPONSE ----

Application::Response Application::get_response(const Command& c) {
    if (c.p1 != 0 || c.p2 != 0) return {{}, sw::wrong_p1p2};
    if (!c.ne || !c.data.empty()) return {{}, sw::wrong_length};
    if (pending_.empty()) return {{}, sw::conditions};
    if (*c.ne > pending_.size()) return {{}, with_count(sw::exact_length, pending_.size())};
    Bytes part(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*c.ne));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*c.ne));
    if (pending_.empty()) return {std::move(part), sw::ok};
    return {std::move(part), with_count(sw::more_data, pending_.size())};
}

}  // namespace vreader::iso7816

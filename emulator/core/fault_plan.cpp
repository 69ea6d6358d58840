#include "emulator/core/fault_plan.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace vreader {

namespace {

struct KindRow {
    FaultKind kind;
    std::string_view name;
    int arguments;           // required arguments (oversize takes one more optional)
    uint32_t default_value;  // when the argument is optional
    uint32_t value_limit;
};

inline constexpr std::array kinds{
    KindRow{FaultKind::drop, "drop", 0, 0, 0},
    KindRow{FaultKind::wrong_lead, "lead", -1, 0xA5, 0xFF},
    KindRow{FaultKind::bad_bcc, "bcc", 0, 0, 0},
    KindRow{FaultKind::status, "status", 1, 0, 0xFF},
    KindRow{FaultKind::delay, "delay", 1, 0, 60000},
    KindRow{FaultKind::garbage, "garbage", -1, 16, 4096},
    KindRow{FaultKind::truncate, "truncate", 1, 0, 0xFFFF},
    KindRow{FaultKind::oversize, "oversize", 1, 0, 0xFFFF},
    KindRow{FaultKind::corrupt, "corrupt", -1, 0, 0xFFFF},
    KindRow{FaultKind::never, "never", 0, 0, 0},
    KindRow{FaultKind::drip, "drip", 1, 0, 60000},
    KindRow{FaultKind::answer, "answer", 0, 0, 0},  // its argument is hex, read apart
    KindRow{FaultKind::wtx, "wtx", 0, 0, 0},
};

const KindRow* row_of(FaultKind kind) {
    for (const auto& row : kinds)
        if (row.kind == kind) return &row;
    return nullptr;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

// Line noise: a fixed pseudo-random run, never starting with a reply's lead byte.
Bytes noise(size_t n) {
    Bytes out(n);
    uint32_t x = 0x1234567u;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    if (!out.empty() && out[0] == 0x55) out[0] = 0x5A;
    return out;
}

}  // namespace

std::string Fault::describe() const {
    std::ostringstream s;
    s << row_of(kind)->name;
    if (kind == FaultKind::wrong_lead || kind == FaultKind::status) s << " 0x" << std::hex << value << std::dec;
    else if (kind == FaultKind::answer) s << ' ' << to_hex(data);
    else if (kind != FaultKind::drop && kind != FaultKind::bad_bcc && kind != FaultKind::never) s << ' ' << value;
    if (sent) s << ' ' << *sent;
    if (drip_ms) s << " dripping " << drip_ms;
    if (kind != FaultKind::never) s << " at " << at << " frames " << frames;
    return s.str();
}

std::optional<Fault> parse_fault(std::string_view text, std::string& error) {
    auto w = words(text);
    if (w.empty()) {
        error = "fault kind missing";
        return std::nullopt;
    }
    const KindRow* row = nullptr;
    for (const auto& k : kinds)
        if (k.name == w[0]) row = &k;
    if (!row) {
        error = "unknown fault kind '" + std::string(w[0]) + "'";
        return std::nullopt;
    }
    Fault fault;
    fault.kind = row->kind;
    fault.value = row->default_value;
    size_t i = 1;
    std::vector<uint32_t> args;
    if (fault.kind == FaultKind::answer) {
        std::string hex;
        for (; i < w.size() && w[i] != "next" && w[i] != "at"; ++i) hex += w[i];
        auto data = from_hex(hex);
        if (!data || data->empty() || data->size() > 0xFFFF) {
            error = "answer needs its reply data in hex";
            return std::nullopt;
        }
        fault.data = std::move(*data);
    }
    while (i < w.size() && w[i] != "next" && w[i] != "at") {
        const auto n = parse_number(w[i]);
        if (!n) {
            error = "not a number: '" + std::string(w[i]) + "'";
            return std::nullopt;
        }
        args.push_back(*n);
        ++i;
    }
    const size_t required = row->arguments > 0 ? static_cast<size_t>(row->arguments) : 0;
    const size_t allowed = row->arguments < 0 ? 1 : required + (row->kind == FaultKind::oversize ? 1 : 0);
    if (args.size() < required || args.size() > allowed) {
        error = "wrong number of arguments for '" + std::string(row->name) + "'";
        return std::nullopt;
    }
    if (!args.empty()) fault.value = args[0];
    if (args.size() > 1) fault.sent = args[1];
    if (fault.value > row->value_limit || (fault.sent && *fault.sent > row->value_limit)) {
        error = "argument out of range for '" + std::string(row->name) + "'";
        return std::nullopt;
    }
    while (i < w.size()) {
        const auto n = i + 1 < w.size() ? parse_number(w[i + 1]) : std::nullopt;
        if (!n || *n == 0) {
            error = "'" + std::string(w[i]) + "' needs a count of 1 or more";
            return std::nullopt;
        }
        if (w[i] == "next") fault.frames = *n;
        else fault.at = *n;
        i += 2;
    }
    return fault;
}

void FaultPlan::add(Fault fault) {
    const uint64_t first = frames_seen_ + fault.at;
    const uint64_t last = fault.kind == FaultKind::never ? UINT64_MAX : first + fault.frames - 1;
    planned_.push_back({fault, first, last});
}

std::vector<std::string> FaultPlan::describe() const {
    std::vector<std::string> out;
    for (const auto& p : planned_) {
        std::ostringstream s;
        s << p.fault.describe() << " (frames " << p.first;
        if (p.last != UINT64_MAX) s << ".." << p.last;
        s << ", now at " << frames_seen_ << ')';
        out.push_back(s.str());
    }
    return out;
}

bool FaultPlan::reader_absent() const {
    return std::any_of(planned_.begin(), planned_.end(),
                       [this](const Planned& p) { return p.fault.kind == FaultKind::never && p.first <= frames_seen_ + 1; });
}

std::optional<Fault> FaultPlan::next_frame() {
    const uint64_t n = ++frames_seen_;
    std::optional<Fault> hit;
    std::optional<Fault> drip;
    for (const auto& p : planned_) {
        if (n < p.first || n > p.last) continue;
        std::optional<Fault>& slot = p.fault.kind == FaultKind::drip ? drip : hit;
        if (!slot) slot = p.fault;
    }
    std::erase_if(planned_, [n](const Planned& p) { return p.last <= n; });
    if (!hit) return drip;
    if (drip) hit->drip_ms = drip->value;
    return hit;
}

WireReply shape_reply(const Bytes& reply, const std::optional<Fault>& fault) {
    WireReply wire{reply, 0, 0};
    if (!fault) return wire;
    wire.byte_interval_ms = fault->kind == FaultKind::drip ? fault->value : fault->drip_ms;
    switch (fault->kind) {
    case FaultKind::drop:
    case FaultKind::never:
        wire.bytes.clear();
        break;
    case FaultKind::wrong_lead:
        wire.bytes[0] = static_cast<uint8_t>(fault->value);
        break;
    case FaultKind::bad_bcc:
        wire.bytes.back() ^= 0xFF;
        break;
    case FaultKind::delay:
        wire.delay_ms = fault->value;
        break;
    case FaultKind::garbage:
        wire.bytes = noise(fault->value);
        break;
    case FaultKind::truncate:
        wire.bytes.resize(std::min<size_t>(wire.bytes.size(), fault->value));
        break;
    case FaultKind::oversize: {
        const size_t sent = fault->sent.value_or(fault->value);
        Bytes data(reply.begin() + 4, reply.end() - 1);
        data.resize(sent, 0x00);
        wire.bytes = {reply[0], reply[1], static_cast<uint8_t>(fault->value >> 8), static_cast<uint8_t>(fault->value)};
        wire.bytes.insert(wire.bytes.end(), data.begin(), data.end());
        wire.bytes.push_back(xor_of(wire.bytes));
        break;
    }
    case FaultKind::corrupt:
        if (wire.bytes.size() > 5 + size_t{fault->value}) {
            wire.bytes[4 + fault->value] ^= 0xFF;
            wire.bytes.back() ^= 0xFF;
        }
        break;
    case FaultKind::status:
    case FaultKind::answer:
    case FaultKind::wtx:
        break;  // decided by the reader before the command runs
    case FaultKind::drip:
        break;  // the pace only
    }
    return wire;
}

}  // namespace vreader

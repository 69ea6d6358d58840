#include "emulator/cards/sle4442_card.h"

#include <algorithm>

#include "emulator/cards/memory_commands.h"

namespace vreader {

using sle::Refusal;

namespace {

constexpr uint8_t cmd_read_security = 0x65;
constexpr uint8_t cmd_read_protection = 0x74;
constexpr uint8_t cmd_protect = 0x75;

}  // namespace

Sle4442Card::Sle4442Card(const Sle4442Kind& kind) : kind_(kind) {
    memory_.fill(0xFF);
    std::copy(kind.identification.begin(), kind.identification.end(), memory_.begin());
    protection_ = {0x00, 0xFF, 0xFF, 0xFF};  // the identification bytes 0..7 are protected
    security_ = {0x07, 0xFF, 0xFF, 0xFF};
}

CardReply Sle4442Card::handle(const CardCommand& c) {
    switch (c.command()) {
    case memory_command::read: return read(c);
    case memory_command::write: return write(c);
    case cmd_read_protection: return read_protection(c);
    case cmd_protect: return protect(c);
    }
    if (!kind_.has_security_memory) return refuse(Refusal::unknown_command);
    switch (c.command()) {
    case memory_command::present_code: return present_code(c);
    case memory_command::write_code: return write_code(c);
    case cmd_read_security:
    case memory_command::read_counter: return read_security(c);
    }
    return refuse(Refusal::unknown_command);
}

bool Sle4442Card::is_protected(size_t address) const {
    return address < protectable && (protection_[address / 8] >> (7 - address % 8) & 1) == 0;
}

std::optional<Refusal> Sle4442Card::write_refusal() const {
    if (!kind_.has_security_memory) return std::nullopt;
    return guard_.write_refusal(security_[0]);
}

CardReply Sle4442Card::read(const CardCommand& c) const {
    if (!c.reads_within(memory_size))
        return refuse(Refusal::out_of_range);
    const auto start = memory_.begin() + c.address();
    return CardReply::ok(Bytes(start, start + c.count()));
}

CardReply Sle4442Card::write(const CardCommand& c) {
    const auto data = c.write_data();
    if (!c.writes_within(memory_size)) return refuse(Refusal::out_of_range);
    if (auto refusal = write_refusal()) return refuse(*refusal);
    for (size_t a = c.address(); a < c.address() + data.size(); ++a)
        if (is_protected(a)) return refuse(Refusal::kept);
    std::copy(data.begin(), data.end(), memory_.begin() + c.address());
    mark_changed();
    return CardReply::ok();
}

CardReply Sle4442Card::read_protection(const CardCommand& c) const {
    if (!c.count_within(protection_.size()))
        return refuse(Refusal::out_of_range);
    return CardReply::ok(Bytes(protection_.begin(), protection_.begin() + c.count()));
}

CardReply Sle4442Card::protect(const CardCommand& c) {
    const auto data = c.write_data();
    if (!c.writes_within(protectable)) return refuse(Refusal::out_of_range);
    if (auto refusal = write_refusal()) return refuse(*refusal);
    for (size_t i = 0; i < data.size(); ++i) {
        const size_t a = c.address() + i;
        if (memory_[a] != data[i] || is_protected(a)) continue;
        protection_[a / 8] = static_cast<uint8_t>(protection_[a / 8] & ~(1u << (7 - a % 8)));
        mark_changed();
    }
    return CardReply::ok();
}

CardReply Sle4442Card::present_code(const CardCommand& c) {
    const auto code = c.write_data();
    if (code.size() < code_size) return refuse(Refusal::out_of_range);
    const uint8_t before = security_[0];
    const bool match = std::equal(code.begin(), code.begin() + code_size, security_.begin() + 1);
    const auto refusal = guard_.present(security_[0], match);
    if (security_[0] != before) mark_changed();
    return refusal ? refuse(*refusal) : CardReply::ok();
}

CardReply Sle4442Card::write_code(const CardCommand& c) {
    const auto code = c.write_data();
    if (code.size() < code_size) return refuse(Refusal::out_of_range);
    if (auto refusal = write_refusal()) return refuse(*refusal);
    std::copy_n(code.begin(), code_size, security_.begin() + 1);
    mark_changed();
    return CardReply::ok();
}

CardReply Sle4442Card::read_security(const CardCommand& c) const {
    if (!c.count_within(security_.size()))
        return refuse(Refusal::out_of_range);
    Bytes shown(security_.begin(), security_.begin() + c.count());
    if (!guard_.unlocked()) std::fill(shown.begin() + 1, shown.end(), uint8_t{0});  // the code stays hidden
    return CardReply::ok(std::move(shown));
}

size_t Sle4442Card::image_size() const {
    return memory_size + protection_.size() + (kind_.has_security_memory ? security_.size() : 0);
}

Bytes Sle4442Card::contents() const {
    Bytes image(memory_.begin(), memory_.end());
    image.insert(image.end(), protection_.begin(), protection_.end());
    if (kind_.has_security_memory) image.insert(image.end(), security_.begin(), security_.end());
    return image;
}

bool Sle4442Card::load_contents(std::span<const uint8_t> image) {
    if (image.size() != image_size()) return false;
    auto at = image.begin();
    std::copy_n(at, memory_size, memory_.begin());
    at += memory_size;
    std::copy_n(at, protection_.size(), protection_.begin());
    at += static_cast<std::ptrdiff_t>(protection_.size());
    if (kind_.has_security_memory) std::copy_n(at, security_.size(), security_.begin());
    guard_.forget();
    return true;
}

}  // namespace vreader

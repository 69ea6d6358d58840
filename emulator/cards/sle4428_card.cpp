#include "emulator/cards/sle4428_card.h"

#include <algorithm>

#include "emulator/cards/memory_commands.h"

namespace vreader {

using sle::Refusal;

namespace {

constexpr uint8_t cmd_write_protected = 0x6D;
constexpr uint8_t cmd_read_protected = 0x6E;
constexpr uint8_t cmd_protect = 0x6F;

constexpr uint8_t pair_protected = 0x00;
constexpr uint8_t pair_writable = 0x01;

}  // namespace

Sle4428Card::Sle4428Card(const Sle4428Kind& kind) : CardWithLayout(kind) {
    memory_.fill(0xFF);
    constexpr std::array<uint8_t, 4> identification{0x92, 0x23, 0x10, 0x91};
    std::copy(identification.begin(), identification.end(), memory_.begin());
    writable_.fill(0xFF);
    for (size_t a = 0; a < identification.size(); ++a) set_protected(a);
}

CardReply Sle4428Card::handle(const CardCommand& c) {
    switch (c.command()) {
    case memory_command::read: return read(c, false);
    case cmd_read_protected: return read(c, true);
    case memory_command::write: return change(c, Change::write);
    case cmd_write_protected: return change(c, Change::write_and_protect);
    case cmd_protect: return change(c, Change::protect);
    }
    if (!layout_.has_security_code) return refuse(Refusal::unknown_command);
    switch (c.command()) {
    case memory_command::present_code: return present_code(c);
    case memory_command::read_counter: return read_counter();
    }
    return refuse(Refusal::unknown_command);
}

bool Sle4428Card::is_protected(size_t address) const { return (writable_[address / 8] >> (7 - address % 8) & 1) == 0; }

void Sle4428Card::set_protected(size_t address) {
    writable_[address / 8] = static_cast<uint8_t>(writable_[address / 8] & ~(1u << (7 - address % 8)));
}

uint8_t Sle4428Card::shown(size_t address) const {
    const bool hidden = layout_.has_security_code && address >= code_address && !guard_.unlocked();
    return hidden ? 0x00 : memory_[address];
}

// The SLE4428 keeps its counter from every write, and its code from all but the plain write
// that changes it.
bool Sle4428Card::reserved(size_t address, Change what) const {
    if (!layout_.has_security_code) return false;
    if (address == counter_address) return true;
    return address >= code_address && what != Change::write;
}

CardReply Sle4428Card::read(const CardCommand& c, bool with_protection) const {
    if (!c.reads_within(memory_size))
        return refuse(Refusal::out_of_range);
    Bytes out;
    out.reserve(with_protection ? 2u * c.count() : c.count());
    for (size_t a = c.address(); a < size_t{c.address()} + c.count(); ++a) {
        out.push_back(shown(a));
        if (with_protection) out.push_back(is_protected(a) ? pair_protected : pair_writable);
    }
    return CardReply::ok(std::move(out));
}

CardReply Sle4428Card::change(const CardCommand& c, Change what) {
    const auto data = c.write_data();
    const size_t start = c.address();
    if (!c.writes_within(memory_size)) return refuse(Refusal::out_of_range);
    if (layout_.has_security_code)
        if (auto refusal = guard_.write_refusal(memory_[counter_address])) return refuse(*refusal);
    for (size_t a = start; a < start + data.size(); ++a)
        if (reserved(a, what) || (what != Change::protect && is_protected(a))) return refuse(Refusal::kept);

    for (size_t i = 0; i < data.size(); ++i) {
        const size_t a = start + i;
        if (what == Change::protect) {
            if (memory_[a] == data[i]) set_protected(a);
            continue;
        }
        memory_[a] = data[i];
        if (what == Change::write_and_protect) set_protected(a);
    }
    mark_changed();
    return CardReply::ok();
}

CardReply Sle4428Card::present_code(const CardCommand& c) {
    const auto code = c.write_data();
    if (code.size() < code_size) return refuse(Refusal::out_of_range);
    const uint8_t before = memory_[counter_address];
    const bool match = std::equal(code.begin(), code.begin() + code_size, memory_.begin() + code_address);
    const auto refusal = guard_.present(memory_[counter_address], match);
    if (memory_[counter_address] != before) mark_changed();
    return refusal ? refuse(*refusal) : CardReply::ok();
}

CardReply Sle4428Card::read_counter() const { return CardReply::ok({memory_[counter_address]}); }

Bytes Sle4428Card::contents() const {
    Bytes image(memory_.begin(), memory_.end());
    image.insert(image.end(), writable_.begin(), writable_.end());
    return image;
}

bool Sle4428Card::load_contents(std::span<const uint8_t> image) {
    if (image.size() != memory_size + writable_.size()) return false;
    std::copy_n(image.begin(), memory_size, memory_.begin());
    std::copy_n(image.begin() + memory_size, writable_.size(), writable_.begin());
    guard_.forget();
    return true;
}

}  // namespace vreader

#include "emulator/cards/sle4406_card.h"

#include <algorithm>

#include "emulator/cards/memory_commands.h"

namespace vreader {

using security::Refusal;

namespace {

constexpr uint8_t cmd_counter_step = 0x70;

constexpr size_t frame_with_count = 7;  // card type, 00 00, address, count
constexpr size_t issuer_start = 2;
constexpr uint8_t hidden = 0x00;
constexpr security::AttemptCounter attempts{0xFF};

// The bits of a stage that count: byte 8 lends its bit 7 to the personalisation bit.
uint8_t stage_bits(size_t address) { return address == Sle4406Card::counter_start ? 0x7F : 0xFF; }

}  // namespace

Sle4406Card::Sle4406Card(const CounterCardKind& kind) : kind_(kind) {
    memory_.fill(0xFF);
    std::copy(kind.identification.begin(), kind.identification.end(), memory_.begin());
}

CardReply Sle4406Card::handle(const CardCommand& c) {
    switch (c.command()) {
        case memory_command::read:
            return read(c);
        case memory_command::write:
            return write(c);
        case memory_command::present_code:
            return present_code(c);
        case cmd_counter_step:
            return counter_step(c);
    }
    return refuse(Refusal::unknown_command);
}

CardReply Sle4406Card::read(const CardCommand& c) const {
    if (c.body().size() < frame_with_count || !fits(c.address(), c.count(), memory_size))
        return refuse(Refusal::out_of_range);
    Bytes shown(memory_.begin() + c.address(), memory_.begin() + c.address() + c.count());
    if (!issued() && !code_presented_)
        for (size_t a = c.address(); a < c.address() + c.count(); ++a)
            if (a >= code_start) shown[a - c.address()] = hidden;
    return CardReply::ok(std::move(shown));
}

std::optional<Refusal> Sle4406Card::write_refusal(size_t a) const {
    if (a < issuer_start) return Refusal::kept;
    if (issued()) return a < counter_start ? std::optional(Refusal::kept) : std::nullopt;
    if (attempts.used_up(memory_[error_counter])) return Refusal::locked;
    if (a == error_counter) return Refusal::kept;
    if (!code_presented_) return Refusal::code_not_presented;
    return std::nullopt;
}

CardReply Sle4406Card::write(const CardCommand& c) {
    const auto data = c.write_data();
    if (!fits(c.address(), data.size(), memory_size)) return refuse(Refusal::out_of_range);
    for (size_t a = c.address(); a < c.address() + data.size(); ++a)
        if (auto r = write_refusal(a)) return refuse(*r);
    // Issued, the counter only ever goes down: the write programs bits, it erases none.
    const bool replace = !issued();
    for (size_t i = 0; i < data.size(); ++i) {
        uint8_t& cell = memory_[c.address() + i];
        cell = replace ? data[i] : static_cast<uint8_t>(cell & data[i]);
    }
    mark_changed();
    return CardReply::ok();
}

CardReply Sle4406Card::present_code(const CardCommand& c) {
    const auto code = c.write_data();
    if (code.size() < code_size) return refuse(Refusal::out_of_range);
    if (issued()) return refuse(Refusal::kept);
    uint8_t& counter = memory_[error_counter];
    if (attempts.used_up(counter)) return refuse(Refusal::locked);
    const uint8_t before = counter;
    code_presented_ = attempts.present(code, std::span(memory_).subspan(code_start, code_size), counter);
    if (counter != before) mark_changed();
    return code_presented_ ? CardReply::ok() : refuse(Refusal::wrong_code);
}

CardReply Sle4406Card::counter_step(const CardCommand& c) {
    const size_t stage = c.address();
    if (stage < counter_start || stage >= memory_size) return refuse(Refusal::out_of_range);
    const uint8_t units = static_cast<uint8_t>(memory_[stage] & stage_bits(stage));
    if (!issued() || units == 0) return refuse(Refusal::kept);
    const uint8_t left = static_cast<uint8_t>(units & (units - 1));  // the lowest unit spent
    memory_[stage] = static_cast<uint8_t>((memory_[stage] & ~stage_bits(stage)) | left);
    std::fill(memory_.begin() + static_cast<std::ptrdiff_t>(stage) + 1, memory_.end(), uint8_t{0xFF});
    mark_changed();
    return CardReply::ok();
}

bool Sle4406Card::load_contents(std::span<const uint8_t> image) {
    if (image.size() != memory_size) return false;
    std::copy(image.begin(), image.end(), memory_.begin());
    code_presented_ = false;
    return true;
}

}  // namespace vreader

#include "emulator/cards/security_memory_card.h"

#include <algorithm>

#include "emulator/cards/memory_commands.h"

namespace vreader {

using security::Refusal;

namespace {

constexpr size_t frame_with_count = 7;  // card type, 00, zone, address, count
constexpr size_t zone_byte = 6;

}  // namespace

SecurityMemoryCard::SecurityMemoryCard(const SecurityMemoryLayout& layout)
    : CardWithLayout(layout), memory_(layout.memory_size, 0xFF) {
    std::copy(layout.identification.begin(), layout.identification.end(), memory_.begin());
}

CardReply SecurityMemoryCard::handle(const CardCommand& c) {
    if (c.command() == layout_.personalise_command) return personalise();
    switch (c.command()) {
        case memory_command::read:
            return read(c);
        case memory_command::write:
            return change(c, Change::write);
        case memory_command::erase:
            return change(c, Change::erase);
        case memory_command::present_code:
            return present_code(c);
        case memory_command::present_erase_code:
            return present_erase_code(c);
        case memory_command::fuse_simulation:
            return simulate_fuse(c);
        case memory_command::write_code:
            if (layout_.has_code_area_write) return change(c, Change::code_area_write);
            break;
    }
    return refuse(Refusal::unknown_command);
}

void SecurityMemoryCard::power_off() {
    code_presented_ = false;
    erase_code_presented_ = {};
}

std::optional<size_t> SecurityMemoryCard::area_of(size_t address) const {
    for (size_t i = 0; i < layout_.area_count; ++i) {
        const ApplicationArea& area = layout_.areas[i];
        if (area.data.contains(address) || area.erase_code.contains(address) || area.erase_counter.contains(address))
            return i;
    }
    return std::nullopt;
}

bool SecurityMemoryCard::flag_clear(size_t area, uint8_t flag) const {
    return (memory_[layout_.areas[area].data.start] & flag) == 0;
}

uint8_t SecurityMemoryCard::shown(size_t a) const {
    if (!issued()) return memory_[a];
    if (layout_.security_code.contains(a)) return code_presented_ ? memory_[a] : hidden;
    if (const auto area = area_of(a)) {
        const ApplicationArea& run = layout_.areas[*area];
        if (run.erase_code.contains(a)) return erase_code_presented_[*area] ? memory_[a] : hidden;
        const bool read_protected = run.data.contains(a) && a != run.data.start && flag_clear(*area, read_flag);
        if (read_protected && !code_presented_) return hidden;
    }
    return memory_[a];
}

std::optional<Refusal> SecurityMemoryCard::needs_code() const {
    if (security::AttemptCounter{layout_.error_counter_bits}.used_up(memory_[layout_.error_counter.start]))
        return Refusal::locked;
    if (!code_presented_) return Refusal::code_not_presented;
    return std::nullopt;
}

std::optional<Refusal> SecurityMemoryCard::needs_erase_code(size_t area) const {
    if (!erase_code_presented_[area]) return Refusal::code_not_presented;
    return std::nullopt;
}

std::optional<Refusal> SecurityMemoryCard::refusal(size_t a, Change what) const {
    const auto area = area_of(a);
    const bool code_byte = layout_.security_code.contains(a) || (area && layout_.areas[*area].erase_code.contains(a));
    if (what == Change::code_area_write && !code_byte) return Refusal::out_of_range;

    if (a < layout_.identification.size() || layout_.error_counter.contains(a)) return Refusal::kept;
    if (layout_.test_area.contains(a)) return std::nullopt;
    if (layout_.issuer.contains(a)) return issued() ? std::optional(Refusal::kept) : needs_code();
    if (layout_.security_code.contains(a) || layout_.code_protected.contains(a)) return needs_code();
    if (!area) return Refusal::out_of_range;

    const ApplicationArea& run = layout_.areas[*area];
    if (!issued()) return needs_code();
    if (run.erase_counter.contains(a)) return Refusal::kept;
    if (run.erase_code.contains(a)) return needs_erase_code(*area);
    if (flag_clear(*area, protect_flag)) return Refusal::kept;
    return what == Change::erase ? needs_erase_code(*area) : needs_code();
}

CardReply SecurityMemoryCard::read(const CardCommand& c) const {
    if (c.body().size() < frame_with_count || !fits(c.address(), c.count(), memory_.size()))
        return refuse(Refusal::out_of_range);
    Bytes shown_bytes;
    for (size_t a = c.address(); a < c.address() + c.count(); ++a) shown_bytes.push_back(shown(a));
    return CardReply::ok(std::move(shown_bytes));
}

CardReply SecurityMemoryCard::change(const CardCommand& c, Change what) {
    const bool erasing = what == Change::erase;
    const auto data = c.write_data();
    if (erasing && c.body().size() < frame_with_count) return refuse(Refusal::out_of_range);
    const size_t count = erasing ? c.count() : data.size();
    if (!fits(c.address(), count, memory_.size())) return refuse(Refusal::out_of_range);
    for (size_t a = c.address(); a < c.address() + count; ++a)
        if (auto r = refusal(a, what)) return refuse(*r);
    for (size_t i = 0; i < count; ++i) {
        uint8_t& cell = memory_[c.address() + i];
        cell = erasing ? uint8_t{0xFF} : static_cast<uint8_t>(cell & data[i]);
    }
    mark_changed();
    return CardReply::ok();
}

CardReply SecurityMemoryCard::present_code(const CardCommand& c) {
    const auto code = c.write_data();
    const ByteRun& place = layout_.security_code;
    if (code.size() < place.size) return refuse(Refusal::out_of_range);
    const security::AttemptCounter counter{layout_.error_counter_bits};
    uint8_t& attempts = memory_[layout_.error_counter.start];
    if (counter.used_up(attempts)) return refuse(Refusal::locked);
    const uint8_t before = attempts;
    code_presented_ = counter.present(code, std::span(memory_).subspan(place.start, place.size), attempts);
    if (attempts != before) mark_changed();
    return code_presented_ ? CardReply::ok() : refuse(Refusal::wrong_code);
}

CardReply SecurityMemoryCard::present_erase_code(const CardCommand& c) {
    const size_t area = layout_.area_count == 1 ? 0 : static_cast<size_t>(c.byte(zone_byte)) - 1;
    if (area >= layout_.area_count) return refuse(Refusal::out_of_range);
    const ApplicationArea& run = layout_.areas[area];
    const auto code = c.write_data();
    if (code.size() < run.erase_code.size) return refuse(Refusal::out_of_range);
    if (run.erase_counter.size > 0) {
        const auto first = memory_.begin() + static_cast<std::ptrdiff_t>(run.erase_counter.start);
        const auto counter = std::find_if(first, first + static_cast<std::ptrdiff_t>(run.erase_counter.size),
                                          [](uint8_t b) { return b != 0; });
        if (counter == first + static_cast<std::ptrdiff_t>(run.erase_counter.size)) return refuse(Refusal::locked);
        *counter = static_cast<uint8_t>(*counter & (*counter - 1));
        mark_changed();
    }
    const bool right = std::equal(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(run.erase_code.size),
                                  memory_.begin() + static_cast<std::ptrdiff_t>(run.erase_code.start));
    erase_code_presented_[area] = right;
    return right ? CardReply::ok() : refuse(Refusal::wrong_code);
}

CardReply SecurityMemoryCard::simulate_fuse(const CardCommand& c) {
    const auto data = c.write_data();
    if (data.empty()) return refuse(Refusal::out_of_range);
    fuse_simulated_ = data[0] != 0;
    return CardReply::ok();
}

CardReply SecurityMemoryCard::personalise() {
    if (auto r = needs_code()) return refuse(*r);
    if (!fuse_blown_) {
        fuse_blown_ = true;
        mark_changed();
    }
    return CardReply::ok();
}

Bytes SecurityMemoryCard::contents() const {
    Bytes image = memory_;
    image.push_back(fuse_blown_ ? fuse_blown : fuse_intact);
    return image;
}

bool SecurityMemoryCard::load_contents(std::span<const uint8_t> image) {
    if (image.size() != layout_.memory_size + 1) return false;
    std::copy(image.begin(), image.end() - 1, memory_.begin());
    fuse_blown_ = image.back() == fuse_blown;
    power_off();
    return true;
}

}  // namespace vreader

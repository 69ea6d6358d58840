#include "emulator/cards/at88sc1604_card.h"

#include <algorithm>

#include "emulator/cards/memory_commands.h"

namespace vreader {

using at88sc1604::Refusal;

namespace {

constexpr uint8_t cmd_personalise = 0x73;

constexpr size_t frame_with_count = 7;   // 73 V Z AH AL 00 N (also the code frames: 73 V Z AH AL c0 c1)
constexpr size_t personalise_frame = 5;  // 73 V 00 PH PL
constexpr size_t fuse_frame = 6;         // 73 V 00 00 00 F
constexpr size_t zones = 5;

constexpr uint8_t protect_flag = 0x80;
constexpr uint8_t read_flag = 0x40;

// Zone 0 outside its code, alike on every variant.
constexpr size_t identification_bytes = 2;
constexpr size_t issuer_first = 2, issuer_bytes = 8;
constexpr size_t code_protected_first = 13, code_protected_bytes = 8;

constexpr size_t code_size = 2;

bool fits(size_t start, size_t count) {
    return count >= 1 && start < At88sc1604Card::memory_size && count <= At88sc1604Card::memory_size - start;
}

}  // namespace

At88sc1604Card::At88sc1604Card(const At88sc1604Layout& layout, uint32_t programming_ms)
    : layout_(layout), programming_ms_(programming_ms) {
    const auto mark = [this](size_t first, size_t count, Kind kind, size_t zone) {
        for (size_t a = first; a < first + count; ++a) roles_[a] = {kind, static_cast<uint8_t>(zone)};
    };
    for (size_t zone = 1; zone < zones; ++zone) {
        const auto& span = layout.data[zone];
        mark(span.first, span.last - span.first + 1u, Kind::data, zone);
    }
    for (size_t zone = 0; zone < zones; ++zone) {
        const auto& block = layout.blocks[zone];
        mark(block.security_code, code_size, Kind::security_code, zone);
        if (block.error_counter) mark(*block.error_counter, 1, Kind::error_counter, zone);
        if (block.erase_code) mark(*block.erase_code, code_size, Kind::erase_code, zone);
        if (block.erase_counter) mark(*block.erase_counter, 1, Kind::erase_counter, zone);
    }
    mark(0, identification_bytes, Kind::identification, 0);
    mark(issuer_first, issuer_bytes, Kind::issuer, 0);
    mark(code_protected_first, code_protected_bytes, Kind::code_protected, 0);

    memory_.fill(0xFF);
    std::copy(layout.identification.begin(), layout.identification.end(), memory_.begin());
    for (const auto& block : layout.blocks)
        if (block.error_counter) memory_[*block.error_counter] = full_error_counter;
}

CardReply At88sc1604Card::handle(const CardCommand& c) {
    const uint8_t expected =
        c.command() == memory_command::present_code ? layout_.security_code_variant_byte : layout_.variant_byte;
    if (c.byte(5) != expected)
        return c.command() == memory_command::read ? foreign_reply(c) : refuse(Refusal::wrong_variant);
    switch (c.command()) {
        case memory_command::read:
            return read(c);
        case memory_command::write:
        case memory_command::write_code:
            return busy(program(c, false), c.command());
        case memory_command::erase:
            return busy(program(c, true), c.command());
        case memory_command::present_code:
            return present_security_code(c);
        case memory_command::present_erase_code:
            return present_erase_code(c);
        case cmd_personalise:
            return personalise(c);
        case memory_command::fuse_simulation:
            if (c.body().size() < fuse_frame) return refuse(Refusal::out_of_range);
            fuse_simulation_ = c.byte(9) != 0;
            return CardReply::ok();
    }
    return refuse(Refusal::unknown_command);
}

CardReply At88sc1604Card::busy(CardReply reply, uint8_t command) const {
    const auto& slow = layout_.long_commands;
    if (reply.status == status::ok && std::find(slow.begin(), slow.end(), command) != slow.end())
        reply.busy_ms = programming_ms_;
    return reply;
}

void At88sc1604Card::power_off() {
    security_presented_.fill(false);
    erase_presented_.fill(false);
}

bool At88sc1604Card::counter_used_up(std::optional<uint16_t> counter) const {
    return counter && memory_[*counter] == 0;
}

std::optional<Refusal> At88sc1604Card::zone_write_refusal(int zone) const {
    const auto z = static_cast<size_t>(zone);
    if (counter_used_up(layout_.blocks[z].error_counter)) return Refusal::locked;
    if (!security_presented_[z]) return Refusal::code_not_presented;
    return std::nullopt;
}

std::optional<Refusal> At88sc1604Card::change_refusal(size_t address, bool erasing) const {
    const Role role = roles_[address];
    if (role.kind == Kind::identification) return Refusal::kept;
    if (!personalised()) return zone_write_refusal(0);
    switch (role.kind) {
        case Kind::security_code:
            return zone_write_refusal(role.zone);
        case Kind::code_protected:
            return zone_write_refusal(0);
        case Kind::erase_code:
            return erase_presented_[role.zone] ? std::nullopt : std::optional(Refusal::code_not_presented);
        case Kind::data:
            if (erasing) return erase_presented_[role.zone] ? std::nullopt : std::optional(Refusal::code_not_presented);
            if (auto refusal = zone_write_refusal(role.zone)) return refusal;
            return (flags_of(role.zone) & protect_flag) != 0 ? std::nullopt : std::optional(Refusal::kept);
        default:
            return Refusal::kept;  // issuer bytes, counters, spare bytes
    }
}

std::optional<Refusal> At88sc1604Card::read_refusal(size_t address) const {
    const Role role = roles_[address];
    if (role.kind != Kind::data || (flags_of(role.zone) & read_flag) != 0 || security_presented_[role.zone])
        return std::nullopt;
    return Refusal::code_not_presented;
}

bool At88sc1604Card::hidden(size_t address) const {
    const Role role = roles_[address];
    if (role.kind == Kind::security_code) return !security_presented_[role.zone];
    if (role.kind == Kind::erase_code) return !erase_presented_[role.zone];
    return false;
}

CardReply At88sc1604Card::read(const CardCommand& c) const {
    const size_t start = c.address();
    const size_t count = c.count();
    if (c.body().size() < frame_with_count || !fits(start, count)) return refuse(Refusal::out_of_range);
    Bytes shown(memory_.begin() + static_cast<std::ptrdiff_t>(start),
                memory_.begin() + static_cast<std::ptrdiff_t>(start + count));
    if (!personalised()) return CardReply::ok(std::move(shown));
    for (size_t i = 0; i < count; ++i) {
        if (auto refusal = read_refusal(start + i)) return refuse(*refusal);
        if (hidden(start + i)) shown[i] = 0x00;
    }
    return CardReply::ok(std::move(shown));
}

CardReply At88sc1604Card::program(const CardCommand& c, bool erasing) {
    const size_t start = c.address();
    const auto data = c.write_data();
    if (erasing && c.body().size() < frame_with_count) return refuse(Refusal::out_of_range);
    const size_t count = erasing ? c.count() : data.size();
    if (!fits(start, count)) return refuse(Refusal::out_of_range);
    for (size_t a = start; a < start + count; ++a)
        if (auto refusal = change_refusal(a, erasing)) return refuse(*refusal);
    for (size_t i = 0; i < count; ++i) memory_[start + i] = erasing ? 0xFF : memory_[start + i] & data[i];
    mark_changed();
    return CardReply::ok();
}

CardReply At88sc1604Card::present_security_code(const CardCommand& c) {
    const size_t zone = c.byte(6);
    if (c.body().size() < frame_with_count || zone >= zones || c.address() != layout_.blocks[zone].security_code)
        return refuse(Refusal::out_of_range);
    const auto counter = layout_.blocks[zone].error_counter;
    if (counter_used_up(counter)) return refuse(Refusal::locked);
    const uint16_t at = layout_.blocks[zone].security_code;
    const bool match = memory_[at] == c.byte(9) && memory_[at + 1u] == c.byte(10);
    security_presented_[zone] = match;
    if (counter) {
        uint8_t& left = memory_[*counter];
        const auto next = match ? full_error_counter : static_cast<uint8_t>(left & (left - 1));
        if (next != left) {
            left = next;
            mark_changed();
        }
    }
    return match ? CardReply::ok() : refuse(Refusal::wrong_code);
}

CardReply At88sc1604Card::present_erase_code(const CardCommand& c) {
    if (c.body().size() < frame_with_count) return refuse(Refusal::out_of_range);
    // The zone byte names the zone holding the code block: zone n's erase code comes with n - 1.
    const size_t zone = c.byte(6) + 1u;
    if (zone >= zones || layout_.blocks[zone].erase_code != c.address()) return refuse(Refusal::out_of_range);
    const auto counter = layout_.blocks[zone].erase_counter;
    if (personalised() && counter) {
        if (counter_used_up(counter)) return refuse(Refusal::locked);
        uint8_t& left = memory_[*counter];
        left = static_cast<uint8_t>(left & (left - 1));
        mark_changed();
    }
    const uint16_t at = c.address();
    const bool match = memory_[at] == c.byte(9) && memory_[at + 1u] == c.byte(10);
    erase_presented_[zone] = match;
    return match ? CardReply::ok() : refuse(Refusal::wrong_code);
}

CardReply At88sc1604Card::personalise(const CardCommand& c) {
    if (c.body().size() < personalise_frame || c.address() != layout_.personalise_address)
        return refuse(Refusal::out_of_range);
    if (fuse_blown()) return CardReply::ok();
    if (auto refusal = zone_write_refusal(0)) return refuse(*refusal);
    fuse_ = 0x00;
    mark_changed();
    return CardReply::ok();
}

Bytes At88sc1604Card::contents() const {
    Bytes image(memory_.begin(), memory_.end());
    image.push_back(fuse_);
    return image;
}

bool At88sc1604Card::load_contents(std::span<const uint8_t> image) {
    if (image.size() != memory_size + 1) return false;
    std::copy_n(image.begin(), memory_size, memory_.begin());
    fuse_ = image[memory_size];
    power_off();
    return true;
}

}  // namespace vreader

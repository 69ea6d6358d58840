#include "emulator/cards/at88sc153_1608_card.h"

#include <algorithm>

#include "algorithms/cipher.h"
#include "emulator/cards/memory_commands.h"

namespace vreader {

namespace {

constexpr uint8_t cmd_reset = 0x63;
constexpr uint8_t cmd_init_auth = 0x6D;

constexpr size_t answer_size = 4;
constexpr size_t fixed_bytes = 10;
constexpr size_t auth_half = 8;         // Q, then A

// Access register bits, active low.
constexpr uint8_t ar_write_password = 0x80;
constexpr uint8_t ar_read_password = 0x40;
constexpr uint8_t ar_authentication = 0x20;
constexpr uint8_t ar_writable = 0x10;

constexpr uint8_t presented_write = 0x01;
constexpr uint8_t presented_read = 0x02;

constexpr uint8_t full_counter = 0xFF;

// One attempt less: the lowest 1 bit of each half goes (FF EE CC 88 00).
uint8_t one_attempt_less(uint8_t counter) {
    const unsigned low = counter & 0x0F, high = counter >> 4;
    return static_cast<uint8_t>(((high & (high - 1)) << 4 & 0xF0) | (low & (low - 1) & 0x0F));
}

bool in(size_t address, size_t first, size_t count) { return address >= first && address < first + count; }

}  // namespace

CryptoMemoryCard::CryptoMemoryCard(const CryptoLayout& layout)
    : CardWithLayout(layout),
      zones_(layout.user_zones * layout.zone_size, 0xFF),
      configuration_(layout.configuration_size, 0xFF) {
    std::copy(layout.fixed.begin(), layout.fixed.end(), configuration_.begin());
}

CardReply CryptoMemoryCard::handle(const CardCommand& c) {
    switch (c.command()) {
        case cmd_reset:
            return reset();
        case memory_command::read:
            return read(c);
        case memory_command::write:
            return write(c);
        case memory_command::present_code:
            return present_password(c);
        case cmd_init_auth:
            return authenticate(c);
    }
    return handle_other(c);
}

std::optional<CryptoMemoryCard::Area> CryptoMemoryCard::zone_area(uint8_t zone_byte) const {
    if (zone_byte < layout_.user_zones) return Area{false, zone_byte, layout_.zone_size};
    if (zone_byte == layout_.user_zones) return Area{true, 0, layout_.configuration_size};
    return std::nullopt;
}

CardReply CryptoMemoryCard::handle_other(const CardCommand&) {
    return CardReply::refuse(crypto_refusal::unknown_command);
}

void CryptoMemoryCard::forget_session() {
    presented_.fill(0);
    authenticated_ = false;
}

void CryptoMemoryCard::blow(uint8_t fuse_bits) {
    const auto after = static_cast<uint8_t>(fuses_ & ~fuse_bits & fuses_as_made);
    if (after == fuses_) return;
    fuses_ = after;
    mark_changed();
}

CardReply CryptoMemoryCard::reset() {
    forget_session();
    return CardReply::ok(Bytes(configuration_.begin(), configuration_.begin() + answer_size));
}

bool CryptoMemoryCard::secure_code_presented() const {
    return (presented_[layout_.password_sets - 1] & presented_write) != 0;
}

bool CryptoMemoryCard::is_password_byte(size_t address) const {
    if (!in(address, layout_.passwords, 8 * layout_.password_sets)) return false;
    return (address - layout_.passwords) % 4 != 0;  // the counters lead each group of four
}

uint8_t CryptoMemoryCard::configuration_byte_shown(size_t address) const {
    if (address == layout_.configuration_size) return fuses_;
    if (personalised()) {
        if (in(address, secret_seed, 8)) return 0x00;
        if (is_password_byte(address) && !secure_code_presented()) return 0x00;
    }
    return configuration_[address];
}

std::optional<uint8_t> CryptoMemoryCard::configuration_write_refusal(size_t address) const {
    if (address < fixed_bytes || address >= layout_.configuration_size) return crypto_refusal::kept;
    if (in(address, fixed_bytes, 2)) return std::nullopt;  // memory test zone
    if (personalised() && !secure_code_presented()) return crypto_refusal::not_granted;
    return std::nullopt;
}

std::optional<uint8_t> CryptoMemoryCard::zone_refusal(size_t zone, bool writing) const {
    const uint8_t ar = configuration_[layout_.access_registers + zone];
    const uint8_t granted = presented_[ar & layout_.set_bits];
    if (writing && (ar & ar_writable) == 0) return crypto_refusal::kept;
    if ((ar & ar_authentication) == 0 && !authenticated_) return crypto_refusal::not_granted;
    if (writing && (ar & ar_write_password) == 0 && (granted & presented_write) == 0)
        return crypto_refusal::not_granted;
    if (!writing && (ar & ar_read_password) == 0 && granted == 0) return crypto_refusal::not_granted;
    return std::nullopt;
}

CardReply CryptoMemoryCard::read(const CardCommand& c) const {
    const auto a = area(c.byte(5), c.byte(6));
    if (!a || !c.reads_within(a->size))
        return CardReply::refuse(crypto_refusal::out_of_range);
    Bytes shown(c.count());
    if (a->configuration) {
        for (size_t i = 0; i < shown.size(); ++i) shown[i] = configuration_byte_shown(c.address() + i);
        return CardReply::ok(std::move(shown));
    }
    if (auto refusal = zone_refusal(a->zone, false)) return CardReply::refuse(*refusal);
    const auto start = zones_.begin() + static_cast<std::ptrdiff_t>(a->zone * layout_.zone_size + c.address());
    std::copy_n(start, shown.size(), shown.begin());
    return CardReply::ok(std::move(shown));
}

CardReply CryptoMemoryCard::write(const CardCommand& c) {
    const auto a = area(c.byte(5), c.byte(6));
    const auto data = c.write_data();
    if (!a || !c.writes_within(a->size)) return CardReply::refuse(crypto_refusal::out_of_range);
    if (a->configuration) {
        for (size_t i = 0; i < data.size(); ++i)
            if (auto refusal = configuration_write_refusal(c.address() + i)) return CardReply::refuse(*refusal);
        std::copy(data.begin(), data.end(), configuration_.begin() + c.address());
    } else {
        if (auto refusal = zone_refusal(a->zone, true)) return CardReply::refuse(*refusal);
        std::copy(data.begin(), data.end(),
                  zones_.begin() + static_cast<std::ptrdiff_t>(a->zone * layout_.zone_size + c.address()));
    }
    mark_changed();
    return CardReply::ok();
}

CardReply CryptoMemoryCard::present_password(const CardCommand& c) {
    const auto p = named_password(c.byte(10));
    const auto presented = c.from(11);
    if (!p || p->set >= layout_.password_sets || counter_address(*p) != c.byte(9) || presented.size() < password_size)
        return CardReply::refuse(crypto_refusal::out_of_range);
    const size_t at = counter_address(*p);
    uint8_t& counter = configuration_[at];
    if (counter == 0) return CardReply::refuse(crypto_refusal::locked);
    const uint8_t grants = p->selector == 0 ? presented_write | presented_read : presented_read;
    const bool match =
        std::equal(presented.begin(), presented.begin() + password_size, configuration_.begin() + at + 1);
    const uint8_t before = counter;
    counter = match ? full_counter : one_attempt_less(counter);
    if (counter != before) mark_changed();
    if (!match) {
        presented_[p->set] = static_cast<uint8_t>(presented_[p->set] & ~grants);
        return CardReply::refuse(crypto_refusal::wrong);
    }
    presented_[p->set] |= grants;
    return CardReply::ok();
}

CardReply CryptoMemoryCard::authenticate(const CardCommand& c) {
    const auto data = c.from(9);
    if (data.size() < 2 * auth_half) return CardReply::refuse(crypto_refusal::out_of_range);
    uint8_t& counter = configuration_[authentication_counter];
    if (counter == 0) return CardReply::refuse(crypto_refusal::locked);

    // The same computation as the host's SetInit and Authenticate, on a state of the card's own.
    quillet::cipher::State cipher;
    quillet::cipher::set_init(cipher, &configuration_[authentication_counter], &configuration_[secret_seed],
                              data.data());
    quillet::cipher::Block host_proof{}, new_cryptogram{};
    quillet::cipher::authenticate(cipher, host_proof.data(), new_cryptogram.data());

    authenticated_ = std::equal(host_proof.begin(), host_proof.end(), data.begin() + auth_half);
    if (authenticated_) {
        counter = full_counter;
        std::copy(new_cryptogram.begin() + 1, new_cryptogram.end(), configuration_.begin() + cryptogram);
    } else {
        counter = one_attempt_less(counter);
    }
    mark_changed();
    return authenticated_ ? CardReply::ok() : CardReply::refuse(crypto_refusal::wrong);
}

Bytes CryptoMemoryCard::contents() const {
    Bytes image(zones_);
    image.insert(image.end(), configuration_.begin(), configuration_.end());
    image.push_back(fuses_);
    return image;
}

bool CryptoMemoryCard::load_contents(std::span<const uint8_t> image) {
    if (image.size() != zones_.size() + configuration_.size() + 1) return false;
    std::copy_n(image.begin(), zones_.size(), zones_.begin());
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(zones_.size()), configuration_.size(),
                configuration_.begin());
    fuses_ = image.back();
    forget_session();
    return true;
}

}  // namespace vreader

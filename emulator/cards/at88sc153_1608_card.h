// What the AT88SC153 and AT88SC1608 crypto memory cards share: user zones, a configuration zone
// with access registers and password sets, attempt counters, the fuse byte and the card's side of
// the mutual authentication. The two families differ in sizes and addresses (CryptoLayout) and in
// how their frames name the configuration zone, a password and the fuses (the subclasses).
//
// Configuration zone (erased bytes read FF; the card is made with everything FF except):
//   0..3    answer to reset (2C AA 55 A0 / A1), 4..9 lot and fab code: fixed, never written
//   10..11  memory test zone: read and written freely at any time
//   access registers (1608: 16..23, 153: 12..14), one per user zone, active-low bits:
//     bit 7 = 0  writes need the write password (selector 0) of the register's password set
//     bit 6 = 0  reads need the read password (selector 1) or the write password of that set
//     bit 5 = 0  reads and writes need a mutual authentication since the last reset
//     bit 4 = 0  the zone takes no writes at all
//     bits 0..2 (1608) / bit 0 (153): the password set
//   32      authentication attempt counter, 33..39 cryptogram, 40..47 secret seed
//   password sets (1608: 64 + 8s, 153: 48 + 8s): counter, 3 bytes of the write password (selector
//     0), counter, 3 bytes of the read password (selector 1)
// Attempt counters: FF is four attempts; each wrong password (or authentication) clears the lowest
// 1 bit of each half, FF EE CC 88 00; at 00 the card takes no more attempts. The right one refills
// the counter to FF.
// Fuse byte: 07 as made; bit 2 is the personalisation fuse. Before personalisation the whole
// configuration zone is open. Once personalised, writing it needs the secure code (the write
// password of the last set: 7 on the 1608, 1 on the 153), the password bytes read as 00 until the
// secure code was presented, and the secret seed reads as 00 for good.
// Mutual authentication (initialise-authentication frame, 16 bytes Q then A): the card runs the
// cipher from zeroed registers over block 1 = configuration 32..39 as stored, block 2 = the secret
// seed 40..47 and block 3 = Q. A equal to output block 1 authenticates the host: the counter goes
// back to FF and bytes 1..7 of output block 2 become the new cryptogram (33..39), which the host
// reads to authenticate the card. A wrong A costs an attempt.
// A reset or power loss forgets presented passwords and authentication.
// Contents file: the user zones, the configuration zone, the fuse byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "emulator/core/card_model.h"

namespace vreader {

// Refusals of the crypto memory cards and their status bytes; the host reports byte s as -s.
namespace crypto_refusal {
inline constexpr uint8_t out_of_range = status::bad_parameter;       // address, count, zone or frame length
inline constexpr uint8_t unknown_command = status::unknown_command;  // no such command on this card
inline constexpr uint8_t kept = status::card_refused;   // fixed bytes, the fuse byte, a zone closed to writes
inline constexpr uint8_t wrong = status::code_wrong;    // wrong password or authentication; one attempt used
inline constexpr uint8_t locked = status::card_locked;  // the attempt counter reads 00
inline constexpr uint8_t not_granted = 0x99;            // the password or authentication the area needs is missing
}  // namespace crypto_refusal

struct CryptoLayout {
    std::string_view family;
    uint8_t card_type;
    std::array<uint8_t, 10> fixed;  // configuration 0..9
    size_t user_zones;
    size_t zone_size;
    size_t configuration_size;
    size_t access_registers;  // configuration address of zone 0's access register
    size_t passwords;         // configuration address of set 0's first attempt counter
    size_t password_sets;
    uint8_t set_bits;  // access register bits that name the password set
};

class CryptoMemoryCard : public CardWithLayout<CryptoLayout> {
public:
    static constexpr size_t password_size = 3;
    static constexpr size_t authentication_counter = 32;
    static constexpr size_t cryptogram = 33;   // 7 bytes
    static constexpr size_t secret_seed = 40;  // 8 bytes
    static constexpr uint8_t fuses_as_made = 0x07;
    static constexpr uint8_t personalisation_fuse = 0x04;

    explicit CryptoMemoryCard(const CryptoLayout& layout);

    CardReply handle(const CardCommand& command) override;
    void power_off() override { forget_session(); }
    Bytes contents() const override;
    bool load_contents(std::span<const uint8_t> image) override;

protected:
    // The memory a read or write frame names by frame bytes 5 and 6.
    struct Area {
        bool configuration;
        size_t zone;  // user zone number (ignored for the configuration zone)
        size_t size;  // bytes addressable; the configuration zone may include the fuse byte after it
    };
    struct PasswordRef {
        size_t set;
        size_t selector;
    };

    virtual std::optional<Area> area(uint8_t area_byte, uint8_t zone_byte) const = 0;
    // The password a present-password frame names by frame byte 10 (bytes: counter address, this).
    virtual std::optional<PasswordRef> named_password(uint8_t which) const = 0;
    // The family's own commands (fuses); unknown_command for the rest.
    virtual CardReply handle_other(const CardCommand& command);

    // Frame byte 6 naming a user zone, or the configuration zone as the zone after the last one.
    std::optional<Area> zone_area(uint8_t zone_byte) const;
    uint8_t fuses() const { return fuses_; }
    void blow(uint8_t fuse_bits);
    size_t counter_address(PasswordRef p) const { return layout_.passwords + 8 * p.set + 4 * p.selector; }

private:
    CardReply reset();
    CardReply read(const CardCommand& c) const;
    CardReply write(const CardCommand& c);
    CardReply present_password(const CardCommand& c);
    CardReply authenticate(const CardCommand& c);

    std::optional<uint8_t> zone_refusal(size_t zone, bool writing) const;
    std::optional<uint8_t> configuration_write_refusal(size_t address) const;
    uint8_t configuration_byte_shown(size_t address) const;
    bool personalised() const { return (fuses_ & personalisation_fuse) == 0; }
    bool secure_code_presented() const;
    bool is_password_byte(size_t address) const;
    void forget_session();

    Bytes zones_;
    Bytes configuration_;
    uint8_t fuses_ = fuses_as_made;
    // Since the last reset: per set, bit 0 the write password, bit 1 the read password presented.
    std::array<uint8_t, 8> presented_{};
    bool authenticated_ = false;
};

// A family of these cards: its layout, and how its frames name an area and a password and what its own
// commands do (specialised in the family's files).
template <const CryptoLayout& layout>
class CryptoMemoryCardOf final : public CryptoMemoryCard {
public:
    CryptoMemoryCardOf() : CryptoMemoryCard(layout) {}

protected:
    std::optional<Area> area(uint8_t area_byte, uint8_t zone_byte) const override;
    std::optional<PasswordRef> named_password(uint8_t which) const override;
    CardReply handle_other(const CardCommand& command) override;
};

}  // namespace vreader

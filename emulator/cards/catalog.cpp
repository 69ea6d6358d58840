// The catalog of card models: one row per family. A new family adds its include and one row.
#include "emulator/cards/catalog.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "emulator/cards/at45d041_card.h"
#include "emulator/cards/at88sc153_card.h"
#include "emulator/cards/at88sc1604_card.h"
#include "emulator/cards/at88sc1608_card.h"
#include "emulator/cards/blank_card.h"
#include "emulator/cards/i2c_eeprom_card.h"
#include "emulator/cards/processor_card.h"
#include "emulator/cards/security_memory_card.h"
#include "emulator/cards/sle4406_card.h"
#include "emulator/cards/sle4428_card.h"
#include "emulator/cards/sle4442_card.h"
#include "emulator/cards/ssf1101_card.h"
#include "emulator/cards/three_wire_card.h"
#include "emulator/core/replace_file.h"

namespace vreader {

namespace {

template <class Model>
std::unique_ptr<CardModel> make() {
    return std::make_unique<Model>();
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lower_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lower(c);
    return out;
}

bool same_name(std::string_view family, std::string_view typed) {
    return family.size() == typed.size() && std::equal(family.begin(), family.end(), typed.begin(),
                                                       [](char a, char b) { return a == lower(b); });
}

const std::array catalog{
    CatalogEntry{"blank", "a card without a working chip: no family accepts it", make<BlankCard>},
    CatalogEntry{"cpu", "processor card, T=1: ISO/IEC 7816-4 files, PIN, GET CHALLENGE; contents as text (docs/vreader.md)", make<ProcessorCard>},
    CatalogEntry{"sle4442", "SLE4442: 256 bytes, protection of bytes 0..31, 3-byte security code (FF FF FF)", make<Sle4442Card>},
    CatalogEntry{"2042", "2042: driven as an SLE4442, identified by bytes 0..7", make<Sle2042Card>},
    CatalogEntry{"sle4432", "SLE4432: an SLE4442 without security code", make<Sle4432Card>},
    CatalogEntry{"sle4428", "SLE4428: 1024 bytes with protection bits, 2-byte security code (FF FF)", make<Sle4428Card>},
    CatalogEntry{"sle4418", "SLE4418: an SLE4428 without security code", make<Sle4418Card>},
    CatalogEntry{"sle4404", "SLE4404: 52 bytes, 2-byte security code (FF FF), 4-byte erase code, user area 14..39 with protect and read flags, fuse", make<SecurityMemoryCardOf<sle4404_layout>>},
    CatalogEntry{"sle4406", "SLE4406: 13-byte counter card, 3-byte transport code (FF FF FF), personalisation bit", make<Sle4406Card>},
    CatalogEntry{"sle4436", "SLE4436: driven as an SLE4406, identified by E8 31", make<Sle4436Card>},
    CatalogEntry{"at88sc101", "AT88SC101: 172 bytes, 2-byte security code (FF FF), erase code with 128-bit counter, flags, fuse", make<SecurityMemoryCardOf<at88sc101_layout>>},
    CatalogEntry{"at88sc102", "AT88SC102: zones of 22, 70 and 86 bytes, security code (FF FF), an erase code per application zone, fuse", make<SecurityMemoryCardOf<at88sc102_layout>>},
    CatalogEntry{"24c01a", "24C01A I2C EEPROM: 128 bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c01a>>},
    CatalogEntry{"24c02", "24C02 I2C EEPROM: 256 bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c02>>},
    CatalogEntry{"24c04", "24C04 I2C EEPROM: 512 bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c04>>},
    CatalogEntry{"24c08", "24C08 I2C EEPROM: 1024 bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c08>>},
    CatalogEntry{"24c16", "24C16 I2C EEPROM: 2048 bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c16>>},
    CatalogEntry{"24c32", "24C32 I2C EEPROM: 4096 bytes, two address bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c32>>},
    CatalogEntry{"24c64", "24C64 I2C EEPROM: 8192 bytes, two address bytes, address lines wrap", make<I2cEepromCardOf<eeprom_24c64>>},
    CatalogEntry{"93c46a", "93C46A three-wire EEPROM: 64 16-bit words, address lines wrap", make<ThreeWireCardOf<eeprom_93c46a>>},
    CatalogEntry{"93c46", "93C46 three-wire EEPROM: 128 bytes, address lines wrap", make<ThreeWireCardOf<eeprom_93c46>>},
    CatalogEntry{"93c57", "93C57 three-wire EEPROM: 256 bytes, address lines wrap", make<ThreeWireCardOf<eeprom_93c57>>},
    CatalogEntry{"93c66", "93C66 three-wire EEPROM: 512 bytes, address lines wrap", make<ThreeWireCardOf<eeprom_93c66>>},
    CatalogEntry{"at45d041", "AT45D041 flash: 2048 pages of 264 bytes, flash status byte 0x9C (settable), busy answer 0x94 on demand", make<At45d041Card>},
    CatalogEntry{"ssf1101", "SSF1101: 512 pages of 1024 bytes, announced writes, erase all, card status 0x0F (settable)", make<Ssf1101Card>},
    CatalogEntry{"at88sc1608", "AT88SC1608: 8 zones of 256 bytes, 8 password sets, mutual authentication, fuses", make<At88sc1608Card>},
    CatalogEntry{"at88sc153", "AT88SC153: 3 zones of 64 bytes, 2 password sets, mutual authentication, fuses", make<At88sc153Card>},
    CatalogEntry{"at88sc1604", "AT88SC1604: zone 0 and 4 application zones with security and erase codes, fuse; writes take 2.5 s", make<At88sc1604Card>},
    CatalogEntry{"at88sc1604b", "AT88SC1604B: as the AT88SC1604 with 512-byte zones and error counters in every zone; erases and writes take 2.5 s", make<At88sc1604bCard>},
    CatalogEntry{"at88sc1604c", "AT88SC1604C: as the AT88SC1604B, error counters in zones 0 and 1 only; erases and writes take 2.5 s", make<At88sc1604cCard>},
};

}  // namespace

std::span<const CatalogEntry> card_catalog() { return catalog; }

std::unique_ptr<CardModel> make_card(std::string_view family) {
    for (const auto& entry : catalog)
        if (same_name(entry.family, family)) return entry.make();
    return nullptr;
}

std::optional<CardSpec> parse_card_spec(std::string_view text) {
    const auto colon = text.find(':');
    CardSpec wanted{lower_case(text.substr(0, colon)), colon == std::string_view::npos ? "" : std::string(text.substr(colon + 1))};
    if (wanted.family.empty() || (colon != std::string_view::npos && wanted.file.empty())) return std::nullopt;
    return wanted;
}

LoadedCard load_card(const CardSpec& wanted) {
    LoadedCard loaded{make_card(wanted.family), {}};
    if (!loaded.card) {
        loaded.error = "unknown card family '" + wanted.family + "'";
        return loaded;
    }
    if (wanted.file.empty()) return loaded;
    std::ifstream in(wanted.file, std::ios::binary);
    std::error_code failure;
    if (!in && std::filesystem::status(wanted.file, failure).type() == std::filesystem::file_type::not_found)
        return loaded;  // created on the first save (where a link leads, when it is one)
    if (!in) {
        // There but unreadable: taken for a new card, its contents would be lost on the first save.
        loaded.error = "cannot read the contents file '" + wanted.file + "'";
        loaded.card.reset();
        return loaded;
    }
    const Bytes image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!loaded.card->load_contents(image)) {
        loaded.error = "contents file '" + wanted.file + "' (" + std::to_string(image.size()) + " bytes) does not fit a " +
                       wanted.family + " card, whose image is " + image_size_text(*loaded.card) + " (--help lists every family's)";
        loaded.card.reset();
    }
    return loaded;
}

std::string image_size_text(const CardModel& card) {
    const std::string bytes = std::to_string(card.contents().size()) + " bytes";
    return card.takes_shorter_image() ? "up to " + bytes : bytes;
}

bool save_card_contents(const CardModel& card, const std::string& file) {
    std::string ignored;
    return replace_file(file, card.contents(), ignored);
}

bool can_save_card_contents(const std::string& file, std::string& error) { return can_replace_file(file, error); }

}  // namespace vreader

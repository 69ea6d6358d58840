// The 151 commands, in the order in which names are compared. A name runs the first command
// whose name begins it, so longer names that share a start come first (swr_93c46a before
// swr_93c46, the AT88SC1604B commands before the AT88SC1604 ones); eswc_4406 is compared over
// its first 8 characters only.
#include "filecmd/command_table.h"

#include "quillet.h"
#include "quillet_families.h"

namespace quillet::filecmd {

namespace {

using namespace quillet::exports;

constexpr int32_t block_capacity = 256;  // cpu_protocol: the largest block

using Zones = std::array<int32_t, zone_count>;

// A card family's size in units, from the family catalogue.
constexpr int32_t units(ql_family family) {
    constexpr int32_t sizes[] = {
#define QL_SIZE_OF(key, alias, type, rank, shape, unit, size, ...) size,
        QL_FAMILIES(QL_SIZE_OF)
#undef QL_SIZE_OF
    };
    return sizes[family];
}

constexpr int32_t flash_capacity = units(QL_FAMILY_at45d041);

// Where a transfer starting in each zone of a zoned family may end, from the family catalogue.
enum class End { read, write };
constexpr Zones zone_ends(ql_family family, End end) {
    Zones zones{};
#define QL_ZONE_END(key, zone, size, read_end, write_end, erase_code) \
    if (QL_FAMILY_##key == family) zones[zone] = end == End::read ? (read_end) : (write_end);
    QL_FAMILY_ZONES(QL_ZONE_END)
#undef QL_ZONE_END
    return zones;
}

constexpr Command command(std::string_view name, Kind kind, Export call, std::array<Arg, 3> args = {},
                          ByteCount bytes = ByteCount::none) {
    return {name, name.size(), kind, call, args, Extent::none, {}, false, bytes, Pieces::none};
}

// Address and count: (handle, #1 address, L, data) with s = #1, c = #2.
constexpr Command at(std::string_view name, Kind kind, Export call, int32_t capacity,
                     ByteCount bytes = ByteCount::length, Pieces pieces = Pieces::none) {
    return {name, name.size(), kind, call, {Arg::n1, Arg::length}, Extent::from_n1, {capacity}, false, bytes, pieces};
}
constexpr Command write_at(std::string_view name, WriteTwo call, int32_t capacity, ByteCount bytes = ByteCount::length,
                           Pieces pieces = Pieces::none) {
    return at(name, Kind::write, call, capacity, bytes, pieces);
}
constexpr Command read_at(std::string_view name, ReadTwo call, int32_t capacity, ByteCount bytes = ByteCount::length,
                          Pieces pieces = Pieces::none) {
    return at(name, Kind::read, call, capacity, bytes, pieces);
}
constexpr Command erase_at(std::string_view name, PlainTwo call, int32_t capacity) {
    return at(name, Kind::plain, call, capacity, ByteCount::none);
}

// Zone, address and count: (handle, #1 zone, #2 address, L, data) with s = #2, c = #3, K by zone.
constexpr Command in_zone(std::string_view name, Kind kind, Export call, Zones capacity) {
    const ByteCount bytes = kind == Kind::plain ? ByteCount::none : ByteCount::length;
    return {name, name.size(), kind, call, {Arg::n1, Arg::n2, Arg::length}, Extent::from_n2, capacity, true, bytes,
            Pieces::none};
}
constexpr Command zone_write(std::string_view name, WriteThree call, Zones capacity) {
    return in_zone(name, Kind::write, call, capacity);
}
constexpr Command zone_read(std::string_view name, ReadThree call, Zones capacity) {
    return in_zone(name, Kind::read, call, capacity);
}
constexpr Command zone_erase(std::string_view name, PlainThree call, Zones capacity) {
    return in_zone(name, Kind::plain, call, capacity);
}

// Flash pages: (handle, #1 page, #2 offset, piece length, data) with s = #2, c = #3.
constexpr Command on_flash(std::string_view name, Kind kind, Export call) {
    return {name, name.size(), kind, call, {Arg::n1, Arg::n2, Arg::length}, Extent::from_n2, {flash_capacity},
            false, ByteCount::length, Pieces::by_page};
}
constexpr Command flash_write(std::string_view name, WriteFlash call) { return on_flash(name, Kind::write, call); }
constexpr Command flash_read(std::string_view name, ReadFlash call) { return on_flash(name, Kind::read, call); }

// Codes: (handle, #1 length, data) with #1 bytes, or (handle, #1, #2 length, data) with #2 bytes.
constexpr Command code_write(std::string_view name, WriteOne call) {
    return command(name, Kind::write, call, {Arg::n1}, ByteCount::n1);
}
constexpr Command code_write(std::string_view name, WriteTwo call) {
    return command(name, Kind::write, call, {Arg::n1, Arg::n2}, ByteCount::n2);
}
constexpr Command code_read(std::string_view name, ReadOne call) {
    return command(name, Kind::read, call, {Arg::n1}, ByteCount::n1);
}
constexpr Command code_read(std::string_view name, ReadTwo call) {
    return command(name, Kind::read, call, {Arg::n1, Arg::n2}, ByteCount::n2);
}

// Counters and status words: a signed 16-bit value, written as 2 bytes, low byte first.
constexpr Command counter(std::string_view name, Counter call) {
    return command(name, Kind::read, call, {}, ByteCount::two);
}
constexpr Command counter(std::string_view name, CounterOne call) {
    return command(name, Kind::read, call, {Arg::n1}, ByteCount::two);
}
constexpr Command status_byte(std::string_view name, Read call) {
    return command(name, Kind::read, call, {}, ByteCount::one);
}

constexpr Command plain(std::string_view name, Plain call) { return command(name, Kind::plain, call); }
constexpr Command plain(std::string_view name, PlainShort call) { return command(name, Kind::plain, call, {Arg::n1}); }
constexpr Command plain(std::string_view name, PlainLong call) { return command(name, Kind::plain, call, {Arg::n1}); }

constexpr Command compared_over(Command c, size_t characters) {
    c.compared = characters;
    return c;
}

constexpr Command card_reset(std::string_view name, Read call) { return command(name, Kind::card_reset, call); }
constexpr Command card_exchange(std::string_view name, Exchange call) {
    return {name, name.size(), Kind::card_exchange, call, {Arg::length}, Extent::whole, {block_capacity}, false,
            ByteCount::length, Pieces::none};
}

// An AT88SC102 read in a command file is bounded by its zone (the write's end), not by the card's
// end where the library's read may run on; erases have the bounds of the writes.
constexpr Zones zones_102 = zone_ends(QL_FAMILY_at88sc102, End::write);
constexpr Zones write_zones_1604b = zone_ends(QL_FAMILY_at88sc1604b, End::write);
constexpr Zones read_zones_1604b = zone_ends(QL_FAMILY_at88sc1604b, End::read);
constexpr Zones write_zones_1604 = zone_ends(QL_FAMILY_at88sc1604, End::write);
constexpr Zones read_zones_1604 = zone_ends(QL_FAMILY_at88sc1604, End::read);

constexpr Command commands[] = {
    // I2C EEPROM cards
    write_at("swr_24c01a", swr_24c01a, units(QL_FAMILY_24c01a)),
    read_at("srd_24c01a", srd_24c01a, units(QL_FAMILY_24c01a)),
    plain("chk_24c01a", chk_24c01a),
    write_at("swr_24c02", swr_24c02, units(QL_FAMILY_24c02)),
    read_at("srd_24c02", srd_24c02, units(QL_FAMILY_24c02)),
    plain("chk_24c02", chk_24c02),
    write_at("swr_24c04", swr_24c04, units(QL_FAMILY_24c04)),
    read_at("srd_24c04", srd_24c04, units(QL_FAMILY_24c04)),
    plain("chk_24c04", chk_24c04),
    write_at("swr_24c08", swr_24c08, units(QL_FAMILY_24c08)),
    read_at("srd_24c08", srd_24c08, units(QL_FAMILY_24c08)),
    plain("chk_24c08", chk_24c08),
    write_at("swr_24c16", swr_24c16, units(QL_FAMILY_24c16)),
    read_at("srd_24c16", srd_24c16, units(QL_FAMILY_24c16)),
    plain("chk_24c16", chk_24c16),
    write_at("swr_24c64", swr_24c64, units(QL_FAMILY_24c64), ByteCount::length, Pieces::by_address),
    read_at("srd_24c64", srd_24c64, units(QL_FAMILY_24c64), ByteCount::length, Pieces::by_address),
    plain("chk_24c64", chk_24c64),
    // three-wire EEPROM cards; the 93C46A counts 16-bit words
    write_at("swr_93c46a", swr_93c46a, units(QL_FAMILY_93c46a), ByteCount::twice_length),
    read_at("srd_93c46a", srd_93c46a, units(QL_FAMILY_93c46a), ByteCount::twice_length),
    plain("eral_93c46a", eral_93c46a),
    plain("chk_93c46a", chk_93c46a),
    write_at("swr_93c46", swr_93c46, units(QL_FAMILY_93c46)),
    read_at("srd_93c46", srd_93c46, units(QL_FAMILY_93c46)),
    plain("eral_93c46", eral_93c46),
    plain("chk_93c46", chk_93c46),
    // AT45D041 flash cards
    flash_write("swr_45d041", swr_45d041),
    flash_read("srd_45d041", srd_45d041),
    status_byte("rdstrg_45d041", rdstrg_45d041),
    plain("chk_45d041", chk_45d041),
    // SLE4442, SLE4432
    write_at("swr_4442", swr_4442, units(QL_FAMILY_sle4442)),
    read_at("srd_4442", srd_4442, units(QL_FAMILY_sle4442)),
    code_write("csc_4442", csc_4442),
    code_write("wsc_4442", wsc_4442),
    code_read("rsc_4442", rsc_4442),
    counter("rsct_4442", rsct_4442),
    write_at("pwr_4442", pwr_4442, 32),
    code_read("prd_4442", prd_4442),
    plain("chk_4442", chk_4442),
    write_at("swr_4432", swr_4432, units(QL_FAMILY_sle4432)),
    read_at("srd_4432", srd_4432, units(QL_FAMILY_sle4432)),
    write_at("pwr_4432", pwr_4432, 32),
    code_read("prd_4432", prd_4432),
    plain("chk_4432", chk_4432),
    // SLE4404
    write_at("swr_4404", swr_4404, units(QL_FAMILY_sle4404)),
    read_at("srd_4404", srd_4404, units(QL_FAMILY_sle4404)),
    code_write("csc_4404", csc_4404),
    code_write("wsc_4404", wsc_4404),
    code_read("rsc_4404", rsc_4404),
    counter("rsct_4404", rsct_4404),
    code_write("cesc_4404", cesc_4404),
    code_write("wesc_4404", wesc_4404),
    code_read("resc_4404", resc_4404),
    counter("resct_4404", resct_4404),
    erase_at("ser_4404", ser_4404, 14),
    plain("fakefus_4404", fakefus_4404),
    plain("clrpr_4404", clrpr_4404),
    plain("clrrd_4404", clrrd_4404),
    plain("psnl_4404", psnl_4404),
    plain("chk_4404", chk_4404),
    // SLE4406
    write_at("swr_4406", swr_4406, units(QL_FAMILY_sle4406)),
    read_at("srd_4406", srd_4406, units(QL_FAMILY_sle4406)),
    code_write("csc_4406", csc_4406),
    code_write("wsc_4406", wsc_4406),
    code_read("rsc_4406", rsc_4406),
    counter("rsct_4406", rsct_4406),
    compared_over(plain("eswc_4406", eswc_4406), 8),
    plain("psnl_4406", psnl_4406),
    plain("chk_4406", chk_4406),
    // SLE4428, SLE4418; the protect-bit reads give two bytes per data byte
    write_at("swr_4428", swr_4428, units(QL_FAMILY_sle4428)),
    read_at("srd_4428", srd_4428, units(QL_FAMILY_sle4428)),
    write_at("wrwpb_4428", wrwpb_4428, units(QL_FAMILY_sle4428)),
    read_at("rdwpb_4428", rdwpb_4428, units(QL_FAMILY_sle4428), ByteCount::twice_length),
    code_write("csc_4428", csc_4428),
    code_write("wsc_4428", wsc_4428),
    code_read("rsc_4428", rsc_4428),
    counter("rsct_4428", rsct_4428),
    write_at("pwr_4428", pwr_4428, 1024),
    plain("chk_4428", chk_4428),
    write_at("swr_4418", swr_4418, units(QL_FAMILY_sle4418)),
    read_at("srd_4418", srd_4418, units(QL_FAMILY_sle4418)),
    write_at("wrwpb_4418", wrwpb_4418, units(QL_FAMILY_sle4418)),
    read_at("rdwpb_4418", rdwpb_4418, units(QL_FAMILY_sle4418), ByteCount::twice_length),
    write_at("pwr_4418", pwr_4418, 1024),
    plain("chk_4418", chk_4418),
    // AT88SC102
    zone_write("swr_102", swr_102, zones_102),
    zone_read("srd_102", srd_102, zones_102),
    zone_erase("ser_102", ser_102, zones_102),
    code_write("csc_102", csc_102),
    code_write("wsc_102", wsc_102),
    code_read("rsc_102", rsc_102),
    counter("rsct_102", rsct_102),
    code_write("cesc_102", cesc_102),
    code_write("wesc_102", wesc_102),
    code_read("resc_102", resc_102),
    counter("resct_102", resct_102),
    plain("clrpr_102", clrpr_102),
    plain("clrrd_102", clrrd_102),
    plain("fakefus_102", fakefus_102),
    plain("psnl_102", psnl_102),
    plain("chk_102", chk_102),
    // AT88SC1604B
    zone_write("swr_1604b", swr_1604b, write_zones_1604b),
    zone_read("srd_1604b", srd_1604b, read_zones_1604b),
    zone_erase("ser_1604b", ser_1604b, write_zones_1604b),
    code_write("csc_1604b", csc_1604b),
    code_write("wsc_1604b", wsc_1604b),
    code_read("rsc_1604b", rsc_1604b),
    counter("rsct_1604b", rsct_1604b),
    code_write("cesc_1604b", cesc_1604b),
    code_write("wesc_1604b", wesc_1604b),
    code_read("resc_1604b", resc_1604b),
    counter("resct_1604b", resct_1604b),
    plain("clrpr_1604b", clrpr_1604b),
    plain("clrrd_1604b", clrrd_1604b),
    plain("fakefus_1604b", fakefus_1604b),
    plain("psnl_1604b", psnl_1604b),
    plain("chk_1604b", chk_1604b),
    // AT88SC1604
    zone_write("swr_1604", swr_1604, write_zones_1604),
    zone_read("srd_1604", srd_1604, read_zones_1604),
    zone_erase("ser_1604", ser_1604, write_zones_1604),
    code_write("csc_1604", csc_1604),
    code_write("wsc_1604", wsc_1604),
    code_read("rsc_1604", rsc_1604),
    counter("rsct_1604", rsct_1604),
    code_write("cesc_1604", cesc_1604),
    code_write("wesc_1604", wesc_1604),
    code_read("resc_1604", resc_1604),
    counter("resct_1604", resct_1604),
    plain("clrpr_1604", clrpr_1604),
    plain("clrrd_1604", clrrd_1604),
    plain("fakefus_1604", fakefus_1604),
    plain("psnl_1604", psnl_1604),
    plain("chk_1604", chk_1604),
    // the reader itself
    code_read("srd_ver", srd_ver),
    plain("set_baud", set_baud),
    code_write("cmp_dvsc", cmp_dvsc),
    code_read("srd_dvsc", srd_dvsc),
    code_write("swr_dvsc", swr_dvsc),
    plain("setsc_md", setsc_md),
    plain("turn_on", turn_on),
    plain("turn_off", turn_off),
    plain("auto_pull", auto_pull),
    counter("get_status", get_status),
    write_at("swr_eeprom", swr_eeprom, 384),
    read_at("srd_eeprom", srd_eeprom, 384),
    code_read("srd_snr", srd_snr),
    plain("dv_beep", dv_beep),
    // the flash card without pauses between frames
    flash_write("write_45", Write_45),
    flash_read("read_45", Read_45),
    // processor cards
    card_reset("cpu_reset", cpu_reset),
    card_exchange("cpu_protocol", cpu_protocol),
};

static_assert(std::size(commands) == 151);

constexpr bool runs(const Command& c, std::string_view name) {
    return name.size() >= c.compared && name.substr(0, c.compared) == c.name.substr(0, c.compared);
}

// Every command is reached by its own name: no earlier command's name begins it.
constexpr bool every_command_reachable() {
    for (size_t i = 0; i < std::size(commands); ++i)
        for (size_t j = 0; j < i; ++j)
            if (runs(commands[j], commands[i].name)) return false;
    return true;
}
static_assert(every_command_reachable());

}  // namespace

std::span<const Command> command_table() { return commands; }

const Command* find_command(std::string_view name) {
    for (const Command& c : commands)
        if (runs(c, name)) return &c;
    return nullptr;
}

}  // namespace quillet::filecmd

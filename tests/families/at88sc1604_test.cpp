// AT88SC1604, AT88SC1604B and AT88SC1604C cards. Exact frames, every bound at its edge and the
// card checks go through the real serial path to the virtual cards on a pseudo-terminal at 115200
// baud. The reply waits and whole sessions (codes, counters, flags, personalisation) run against
// the same card models behind the in-process parallel port, on a simulated clock, so that the
// cards' programming time costs nothing; one session on the pseudo-terminal shows that time in
// real time.
//
// Every number below is the card's documented figure, written here apart from the library's own
// tables.
#include "cards/security/at88sc1604.h"  // the code-area write, which is not exported

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/cards/at88sc1604_card.h"
#include "quillet.h"
#include "tests/support/card_session.h"
#include "tests/support/parallel_reader.h"

namespace {

using namespace quillet::test;

// The virtual cards' refusals, as the caller sees them.
// A refusal planned in the reader: the frame went out, the card never saw it.
constexpr uint8_t planned = 0x42;
constexpr int16_t refused_by_plan = -planned;

constexpr int no_place = -1;

struct Exports {
    decltype(&srd_1604) srd;
    decltype(&swr_1604) swr;
    decltype(&ser_1604) ser;
    decltype(&csc_1604) csc;
    decltype(&wsc_1604) wsc;
    decltype(&rsc_1604) rsc;
    decltype(&cesc_1604) cesc;
    decltype(&wesc_1604) wesc;
    decltype(&resc_1604) resc;
    decltype(&rsct_1604) rsct;
    decltype(&resct_1604) resct;
    decltype(&clrpr_1604) clrpr;
    decltype(&clrrd_1604) clrrd;
    decltype(&fakefus_1604) fakefus;
    decltype(&psnl_1604) psnl;
    decltype(&chk_1604) chk;
};

// Per zone 0..4: the largest offset, and the largest offset + length.
struct Bound {
    int last_offset;
    int end;
};
using Bounds = std::array<Bound, 5>;
using PerZone = std::array<int, 5>;  // absolute addresses, no_place where the zone has none

struct Variant {
    const char* card;
    const vreader::At88sc1604Layout* layout;
    quillet::at88sc1604::Variant internal;
    Exports api;
    uint8_t variant_byte;
    uint8_t security_code_variant_byte;
    PerZone base;
    Bounds read, erase, write;                          // the code-area write has the erase's bounds
    bool long_erase, long_write, long_code_area_write;  // reads wait normally everywhere
    int personalise_address;
    PerZone security_code, error_counter, erase_code, erase_counter;
    int identification_family;  // registered card codes consulted, or no_place
};

const Variant at88sc1604{
    .card = "at88sc1604",
    .layout = &vreader::at88sc1604_layout,
    .internal = quillet::at88sc1604::Variant::at88sc1604,
    .api = {srd_1604, swr_1604, ser_1604, csc_1604, wsc_1604, rsc_1604, cesc_1604, wesc_1604, resc_1604, rsct_1604,
            resct_1604, clrpr_1604, clrrd_1604, fakefus_1604, psnl_1604, chk_1604},
    .variant_byte = 0x00,
    .security_code_variant_byte = 0x00,
    .base = {0, 27, 1227, 1488, 1749},
    .read = {{{26, 2007}, {1199, 1980}, {260, 780}, {260, 519}, {257, 258}}},
    .erase = {{{26, 27}, {1199, 1200}, {260, 261}, {260, 261}, {257, 258}}},
    .write = {{{20, 21}, {1194, 1195}, {255, 256}, {255, 256}, {257, 258}}},
    .long_erase = false,
    .long_write = true,
    .long_code_area_write = true,
    .personalise_address = 0x07F4,
    .security_code = {10, 21, 1222, 1483, 1744},
    .error_counter = {12, 23, no_place, no_place, no_place},
    .erase_code = {no_place, 24, 1224, 1485, 1746},
    .erase_counter = {no_place, 26, 1226, 1487, 1748},
    .identification_family = 1,
};

const Variant at88sc1604b{
    .card = "at88sc1604b",
    .layout = &vreader::at88sc1604b_layout,
    .internal = quillet::at88sc1604::Variant::at88sc1604b,
    .api = {srd_1604b, swr_1604b, ser_1604b, csc_1604b, wsc_1604b, rsc_1604b, cesc_1604b, wesc_1604b, resc_1604b,
            rsct_1604b, resct_1604b, clrpr_1604b, clrrd_1604b, fakefus_1604b, psnl_1604b, chk_1604b},
    .variant_byte = 0x0B,
    .security_code_variant_byte = 0x0B,
    .base = {0, 27, 545, 1063, 1581},
    .read = {{{26, 2042}, {517, 2015}, {517, 1497}, {517, 979}, {460, 461}}},
    .erase = {{{26, 27}, {517, 518}, {517, 518}, {517, 518}, {460, 461}}},
    .write = {{{20, 21}, {511, 512}, {511, 512}, {511, 512}, {460, 461}}},
    .long_erase = true,
    .long_write = true,
    .long_code_area_write = false,
    .personalise_address = 0x07FC,
    .security_code = {10, 21, 539, 1057, 1575},
    .error_counter = {12, 23, 541, 1059, 1577},
    .erase_code = {no_place, 24, 542, 1060, 1578},
    .erase_counter = {no_place, 26, 544, 1062, 1580},
    .identification_family = 2,
};

const Variant at88sc1604c{
    .card = "at88sc1604c",
    .layout = &vreader::at88sc1604c_layout,
    .internal = quillet::at88sc1604::Variant::at88sc1604c,
    .api = {srd_1604c, swr_1604c, ser_1604c, csc_1604c, wsc_1604c, rsc_1604c, cesc_1604c, wesc_1604c, resc_1604c,
            rsct_1604c, resct_1604c, clrpr_1604c, clrrd_1604c, fakefus_1604c, psnl_1604c, chk_1604c},
    .variant_byte = 0x0B,
    .security_code_variant_byte = 0x00,
    .base = {0, 27, 544, 1061, 1578},
    .read = {{{26, 2011}, {516, 1984}, {516, 1467}, {516, 950}, {461, 433}}},
    .erase = {{{26, 27}, {516, 517}, {516, 517}, {516, 517}, {461, 462}}},
    .write = {{{20, 21}, {511, 512}, {511, 512}, {511, 512}, {459, 460}}},
    .long_erase = true,
    .long_write = true,
    .long_code_area_write = false,
    .personalise_address = 0x07FC,
    .security_code = {10, 21, 539, 1056, 1573},
    .error_counter = {12, 23, no_place, no_place, no_place},
    .erase_code = {no_place, 24, 541, 1058, 1575},
    .erase_counter = {no_place, 26, 543, 1060, 1577},
    .identification_family = no_place,
};

const Variant* const variants[] = {&at88sc1604, &at88sc1604b, &at88sc1604c};

std::string name_of(const ::testing::TestParamInfo<const Variant*>& info) { return info.param->card; }
void PrintTo(const Variant* v, std::ostream* out) { *out << v->card; }

// The zone byte of the data operations at a code place: the zone holding the code block.
int holder(int zone) { return zone <= 1 ? 0 : zone - 1; }

uint8_t high(int address) { return static_cast<uint8_t>(address >> 8); }
uint8_t low(int address) { return static_cast<uint8_t>(address); }

// Read (0x61) and erase (0x76): 73 V Z AH AL 00 N.
Bytes counted(uint8_t cmd, const Variant& v, int zone, int address, int count) {
    return command_frame(cmd, {0x73, v.variant_byte, static_cast<uint8_t>(zone), high(address), low(address), 0,
                               static_cast<uint8_t>(count)});
}
// Write (0x60), code-area write (0x66), and the code presentations (with their own V): 73 V Z AH AL data.
Bytes carrying(uint8_t cmd, uint8_t variant_byte, int zone, int address, const uint8_t* data, size_t n) {
    Bytes body{0x73, variant_byte, static_cast<uint8_t>(zone), high(address), low(address)};
    body.insert(body.end(), data, data + n);
    return command_frame(cmd, body);
}

const uint8_t factory_code[2] = {0xFF, 0xFF};

enum class Op { read, erase, code_area_write, write };

struct OpRow {
    const char* name;
    Op op;
    Bounds Variant::*bounds;
    uint8_t command;
};

constexpr OpRow data_operations[] = {
    {"read", Op::read, &Variant::read, 0x61},
    {"erase", Op::erase, &Variant::erase, 0x76},
    {"code-area write", Op::code_area_write, &Variant::erase, 0x66},
    {"write", Op::write, &Variant::write, 0x60},
};

int16_t run(const Variant& v, Op op, int32_t h, int zone, int offset, int length, uint8_t* buffer) {
    const auto z = static_cast<int16_t>(zone), o = static_cast<int16_t>(offset), n = static_cast<int16_t>(length);
    switch (op) {
        case Op::read:
            return v.api.srd(h, z, o, n, buffer);
        case Op::erase:
            return v.api.ser(h, z, o, n);
        case Op::code_area_write:
            return quillet::code(quillet::at88sc1604::write_code_area(h, v.internal, z, o, n, buffer));
        case Op::write:
            return v.api.swr(h, z, o, n, buffer);
    }
    return 0;
}

// The first frame of a data operation starting at zone/offset.
Bytes first_frame(const Variant& v, const OpRow& row, int zone, int offset, int length, const uint8_t* data) {
    const int address = v.base[static_cast<size_t>(zone)] + offset;
    const int n = std::min(length, 144);
    if (row.op == Op::read || row.op == Op::erase) return counted(row.command, v, zone, address, n);
    return carrying(row.command, v.variant_byte, zone, address, data, static_cast<size_t>(n));
}

// ---- through the pseudo-terminal -------------------------------------------------------------

class At88sc1604 : public quillet::test::CardSession, public ::testing::WithParamInterface<const Variant*> {
protected:
    At88sc1604() : CardSession(GetParam()->card) {}

    void expect_refused(const std::function<int16_t()>& call, int16_t expected) {
        vr.clear_log();
        EXPECT_EQ(call(), expected);
        EXPECT_TRUE(vr.host_frames().empty()) << "a refused argument sends nothing";
    }
    // Judges a card whose identification bytes are b0 b1.
    int16_t check_card(uint8_t b0, uint8_t b1) {
        if (checked_image.empty()) checked_image = vr.card_contents();
        checked_image[0] = b0, checked_image[1] = b1;
        vr.load_card_contents(checked_image);
        return v.api.chk(handle);
    }

    Bytes checked_image;  // the card's, as check_card last loaded it

    const Variant& v = *GetParam();
};

TEST_P(At88sc1604, EveryDataBoundHoldsAtItsEdge) {
    Bytes data = pattern(2100, 3, 11, 1);
    for (const OpRow& row : data_operations) {
        for (int zone = 0; zone < 5; ++zone) {
            SCOPED_TRACE(std::string(row.name) + " in zone " + std::to_string(zone));
            const Bound b = (v.*row.bounds)[static_cast<size_t>(zone)];
            const auto call = [&](int offset, int length) {
                return run(v, row.op, handle, zone, offset, length, data.data());
            };
            const auto accepted = [&](int offset, int length) {
                vr.set_fault(Fault::status(planned));
                EXPECT_EQ(sent_by([&] { return call(offset, length); }, refused_by_plan),
                          std::vector<Bytes>{first_frame(v, row, zone, offset, length, data.data())});
            };
            // The largest offset that leaves room for a byte, up to the end; and the whole zone.
            const int start = std::min(b.last_offset, b.end - 1);
            accepted(start, b.end - start);
            accepted(0, b.end);
            const auto refused = [&](int offset, int length, int16_t status) {
                expect_refused([&] { return call(offset, length); }, status);
            };
            refused(b.last_offset + 1, 1, QL_BAD_ADDRESS);
            refused(start, b.end - start + 1, QL_BAD_LENGTH);
            refused(0, b.end + 1, QL_BAD_LENGTH);
            refused(-1, 1, QL_BAD_ADDRESS);
            refused(0, 0, QL_BAD_LENGTH);
            refused(b.last_offset + 1, 0, QL_BAD_LENGTH);  // the length comes first
            // Offsets accepted but lying at or past the end fail whatever the length.
            for (int offset = b.end; offset <= b.last_offset; offset += 7)
                for (int length : {1, 2, 100, 32767 - offset}) refused(offset, length, QL_BAD_LENGTH);
        }
        SCOPED_TRACE(row.name);
        expect_refused([&] { return run(v, row.op, handle, 5, 0, 1, data.data()); }, QL_BAD_LENGTH);
        expect_refused([&] { return run(v, row.op, handle, -1, 0, 1, data.data()); }, QL_BAD_LENGTH);
    }
}

TEST_P(At88sc1604, ReadsRunOnAcrossTheZonesIn144ByteFrames) {
    const int end = v.read[0].end;
    const Bytes image = vr.card_contents();
    Bytes buffer(static_cast<size_t>(end));
    ASSERT_EQ(v.api.srd(handle, 0, 0, static_cast<int16_t>(end), buffer.data()), 0);
    std::vector<Bytes> expected;
    for (int at = 0; at < end; at += 144) expected.push_back(counted(0x61, v, 0, at, std::min(144, end - at)));
    EXPECT_EQ(vr.host_frames(), expected);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), image.begin()));

    // From zone 2 to the end of the readable memory: the zone byte stays 2.
    vr.clear_log();
    const Bound b = v.read[2];
    ASSERT_EQ(v.api.srd(handle, 2, 0, static_cast<int16_t>(b.end), buffer.data()), 0);
    const auto frames = vr.host_frames();
    ASSERT_EQ(frames.size(), static_cast<size_t>((b.end + 143) / 144));
    EXPECT_EQ(frames.front(), counted(0x61, v, 2, v.base[2], 144));
    EXPECT_EQ(frames.back(), counted(0x61, v, 2, v.base[2] + 144 * (b.end / 144), b.end % 144));
    EXPECT_EQ(v.base[2] + b.end, end);

    // 288 bytes are exactly two frames; a failing second frame leaves the first's bytes copied
    // and the rest of the buffer alone.
    Bytes partial(288, 0xEE);
    vr.clear_log();
    vr.set_fault(Fault::status(planned).at(2));
    EXPECT_EQ(v.api.srd(handle, 1, 0, 288, partial.data()), refused_by_plan);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x61, v, 1, 27, 144), counted(0x61, v, 1, 171, 144)}));
    EXPECT_TRUE(std::equal(partial.begin(), partial.begin() + 144, image.begin() + 27));
    EXPECT_EQ(partial[144], 0xEE);
    EXPECT_EQ(partial[287], 0xEE);
}

TEST_P(At88sc1604, CodeFramesNameTheZoneAndTheCodesAbsoluteAddress) {
    uint8_t buffer[2] = {0x5A, 0x5A};
    int16_t count = -1;
    for (int zone = 0; zone < 5; ++zone) {
        SCOPED_TRACE("zone " + std::to_string(zone));
        const auto z = static_cast<int16_t>(zone);
        const int sc = v.security_code[static_cast<size_t>(zone)];
        EXPECT_EQ(sent_by([&] { return v.api.csc(handle, z, 2, factory_code); }),
                  std::vector<Bytes>{carrying(0x64, v.security_code_variant_byte, zone, sc, factory_code, 2)});
        EXPECT_EQ(sent_by([&] { return v.api.rsc(handle, z, 2, buffer); }),
                  std::vector<Bytes>{counted(0x61, v, holder(zone), sc, 2)});
        EXPECT_EQ(buffer[0], 0xFF);

        if (const int counter = v.error_counter[static_cast<size_t>(zone)]; counter != no_place) {
            EXPECT_EQ(sent_by([&] { return v.api.rsct(handle, z, &count); }),
                      std::vector<Bytes>{counted(0x61, v, holder(zone), counter, 1)});
            EXPECT_EQ(count, 4) << "0F as made";
        } else {
            expect_refused([&] { return v.api.rsct(handle, z, &count); }, QL_BAD_ADDRESS);
        }

        const int ez = v.erase_code[static_cast<size_t>(zone)];
        if (ez == no_place) {
            expect_refused([&] { return v.api.cesc(handle, z, 2, factory_code); }, QL_BAD_ADDRESS);
            expect_refused([&] { return v.api.wesc(handle, z, 2, factory_code); }, QL_BAD_ADDRESS);
            expect_refused([&] { return v.api.resc(handle, z, 2, buffer); }, QL_BAD_ADDRESS);
            expect_refused([&] { return v.api.resct(handle, z, &count); }, QL_BAD_ADDRESS);
            expect_refused([&] { return v.api.clrpr(handle, z); }, QL_BAD_ADDRESS);
            expect_refused([&] { return v.api.clrrd(handle, z); }, QL_BAD_ADDRESS);
            continue;
        }
        EXPECT_EQ(sent_by([&] { return v.api.cesc(handle, z, 2, factory_code); }),
                  std::vector<Bytes>{carrying(0x68, v.variant_byte, zone - 1, ez, factory_code, 2)});
        EXPECT_EQ(sent_by([&] { return v.api.resc(handle, z, 2, buffer); }),
                  std::vector<Bytes>{counted(0x61, v, holder(zone), ez, 2)});
        EXPECT_EQ(sent_by([&] { return v.api.resct(handle, z, &count); }),
                  std::vector<Bytes>{counted(0x61, v, holder(zone), v.erase_counter[static_cast<size_t>(zone)], 1)});
        EXPECT_EQ(count, 8) << "FF as made";
    }
    // Lengths come before zones; zones outside 0..4 are bad addresses here.
    for (int16_t length : std::array<int16_t, 3>{1, 3, 0}) {
        expect_refused([&] { return v.api.csc(handle, 9, length, factory_code); }, QL_BAD_LENGTH);
        expect_refused([&] { return v.api.wsc(handle, 0, length, factory_code); }, QL_BAD_LENGTH);
        expect_refused([&] { return v.api.rsc(handle, 1, length, buffer); }, QL_BAD_LENGTH);
        expect_refused([&] { return v.api.cesc(handle, 0, length, factory_code); }, QL_BAD_LENGTH);
        expect_refused([&] { return v.api.wesc(handle, 2, length, factory_code); }, QL_BAD_LENGTH);
        expect_refused([&] { return v.api.resc(handle, 5, length, buffer); }, QL_BAD_LENGTH);
    }
    for (int16_t zone : std::array<int16_t, 2>{-1, 5}) {
        expect_refused([&] { return v.api.csc(handle, zone, 2, factory_code); }, QL_BAD_ADDRESS);
        expect_refused([&] { return v.api.wsc(handle, zone, 2, factory_code); }, QL_BAD_ADDRESS);
        expect_refused([&] { return v.api.rsc(handle, zone, 2, buffer); }, QL_BAD_ADDRESS);
        expect_refused([&] { return v.api.rsct(handle, zone, &count); }, QL_BAD_ADDRESS);
        expect_refused([&] { return v.api.cesc(handle, zone, 2, factory_code); }, QL_BAD_ADDRESS);
        expect_refused([&] { return v.api.resct(handle, zone, &count); }, QL_BAD_ADDRESS);
        expect_refused([&] { return v.api.clrpr(handle, zone); }, QL_BAD_ADDRESS);
    }
}

TEST_P(At88sc1604, FuseFramesCarryTheVariantsBytes) {
    EXPECT_EQ(sent_by([&] { return v.api.fakefus(handle, 7); }),
              std::vector<Bytes>{command_frame(0x80, {0x73, v.variant_byte, 0, 0, 0, 0xFF})});
    EXPECT_EQ(sent_by([&] { return v.api.fakefus(handle, 0); }),
              std::vector<Bytes>{command_frame(0x80, {0x73, v.variant_byte, 0, 0, 0, 0x00})});
    // The card blows its fuse only for the zone-0 security code.
    const Bytes personalise =
        command_frame(0x73, {0x73, v.variant_byte, 0, high(v.personalise_address), low(v.personalise_address)});
    EXPECT_EQ(sent_by([&] { return v.api.psnl(handle); }, not_presented), std::vector<Bytes>{personalise});
    ASSERT_EQ(v.api.csc(handle, 0, 2, factory_code), 0);
    EXPECT_EQ(sent_by([&] { return v.api.psnl(handle); }), std::vector<Bytes>{personalise});
    EXPECT_EQ(vr.card_contents().back(), 0x00) << "the fuse is blown";
}

TEST_P(At88sc1604, CardCheckReadsBytes0And1) {
    EXPECT_EQ(sent_by([&] { return v.api.chk(handle); }), std::vector<Bytes>{counted(0x61, v, 0, 0, 2)});
    vr.set_fault(Fault::status(planned));
    EXPECT_EQ(v.api.chk(handle), refused_by_plan) << "a failed read gives its own status";

    if (v.identification_family == 1) {
        for (uint8_t b0 : std::array<uint8_t, 3>{0x31, 0x69, 0x16})
            for (uint8_t b1 : std::array<uint8_t, 3>{0x3A, 0x35, 0x04})
                EXPECT_EQ(check_card(b0, b1), 0) << int{b0} << " " << int{b1};
        EXPECT_EQ(check_card(0x72, 0x55), QL_WRONG_CARD);
        EXPECT_EQ(check_card(0x31, 0x55), QL_WRONG_CARD);
        EXPECT_EQ(check_card(0x72, 0x3A), QL_WRONG_CARD);
    } else {
        EXPECT_EQ(check_card(0x72, 0x55), 0);
        EXPECT_EQ(check_card(0x72, 0x56), QL_WRONG_CARD);
        EXPECT_EQ(check_card(0x73, 0x55), QL_WRONG_CARD);
        EXPECT_EQ(check_card(0x16, 0x3A), QL_WRONG_CARD);
    }

    // Registered codes, in list order; only families 1 (AT88SC1604) and 2 (AT88SC1604B) count.
    const uint8_t codes[4] = {0xAA, 0xBB, 0x12, 0x34};
    for (int16_t family : std::array<int16_t, 2>{1, 2}) {
        ASSERT_EQ(set_code(family, 2, 4, codes), 0);
        EXPECT_EQ(check_card(0x12, 0x34), family == v.identification_family ? 0 : QL_WRONG_CARD) << family;
        EXPECT_EQ(check_card(0xAA, 0xBB), family == v.identification_family ? 0 : QL_WRONG_CARD) << family;
        EXPECT_EQ(check_card(0x34, 0x12), QL_WRONG_CARD);
        ASSERT_EQ(set_code(family, 0, 0, codes), 0);
        EXPECT_EQ(check_card(0x12, 0x34), QL_WRONG_CARD);
    }
}

TEST_P(At88sc1604, CardCheckOfAnotherVariantFails) {
    for (const Variant* other : variants) {
        if (other->variant_byte == v.variant_byte) continue;  // the B and C answer alike
        EXPECT_EQ(other->api.chk(handle), QL_WRONG_CARD) << other->card;
    }
    EXPECT_EQ(v.api.chk(handle), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, At88sc1604, ::testing::ValuesIn(variants), name_of);

// The card's programming time in real time: a write waits long and still succeeds after more than
// the 2 s of a normal wait; the card's image is saved back to its file.
TEST(At88sc1604Card, WritesTakeTheirProgrammingTimeAndAreSavedToTheFile) {
    VirtualReaderProcess scratch;  // for its temporary directory
    const std::string file = scratch.directory() + "/card.bin";
    {
        VirtualReaderProcess filed{{"--card", "at88sc1604:" + file, "--save", "--rate", "115200"}};
        filed.export_port(1);
        const int32_t h = ic_init(1, 115200);
        ASSERT_GE(h, 0);
        const uint8_t wrong[2] = {0x12, 0x34}, data[3] = {0x01, 0x02, 0x03};
        EXPECT_EQ(csc_1604(h, 1, 2, wrong), wrong_code);
        ASSERT_EQ(csc_1604(h, 0, 2, factory_code), 0);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(swr_1604(h, 1, 5, 3, data), 0);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(2500));
        EXPECT_LT(took, std::chrono::milliseconds(4000));
        ic_exit(h);
        EXPECT_TRUE(filed.stop());
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(saved.size(), 2049u);
    EXPECT_EQ(saved[0], 0x16);
    EXPECT_EQ(saved[32], 0x01);
    EXPECT_EQ(saved[34], 0x03);
    EXPECT_EQ(saved[23], 0x0E) << "the wrong zone-1 code cost one attempt";
    EXPECT_EQ(saved[2048], 0xFF) << "the fuse is intact";
}

// ---- behind the in-process parallel port, on the simulated clock ---------------------------

constexpr int32_t link = QL_BYTE_LINK;

class At88sc1604Session : public ::testing::TestWithParam<const Variant*> {
protected:
    // A fresh reader on the byte link holding a fresh card whose long operations take
    // programming_ms; the log starts empty.
    void start(uint32_t programming_ms = vreader::At88sc1604Card::made_programming_ms) {
        pr.reset();
        pr = std::make_unique<ParallelReader>();
        pr->reader().set_parallel_mode(vreader::ParallelMode::byte);
        pr->reader().insert(0, std::make_unique<vreader::At88sc1604Card>(*v.layout, programming_ms));
        ASSERT_EQ(ic_init(888, 1), link);
        pr->reader().log().clear();
    }
    void SetUp() override { start(); }

    std::vector<Bytes> host_frames(const std::function<void()>& call) {
        pr->reader().log().clear();
        call();
        std::vector<Bytes> frames;
        for (const auto& entry : pr->reader().log().entries())
            if (entry.mark == '>') frames.push_back(entry.bytes);
        return frames;
    }
    void power_cycle() {
        ASSERT_EQ(turn_off(link), 0);
        ASSERT_EQ(turn_on(link), 0);
    }
    uint8_t card_byte(int address) { return pr->reader().card()->contents().at(static_cast<size_t>(address)); }
    int16_t counter(decltype(&rsct_1604) read_counter, int zone) {
        int16_t count = -1;
        EXPECT_EQ(read_counter(link, static_cast<int16_t>(zone), &count), 0);
        return count;
    }

    const Variant& v = *GetParam();
    std::unique_ptr<ParallelReader> pr;
};

TEST_P(At88sc1604Session, LongOperationsWaitLongAndTheOthersNormally) {
    uint8_t buffer[4] = {};
    const uint8_t data[1] = {0x0F};
    const struct {
        const char* name;
        std::function<int16_t()> run;
        bool long_wait;
    } operations[] = {
        {"srd", [&] { return v.api.srd(link, 1, 0, 1, buffer); }, false},
        {"ser", [&] { return v.api.ser(link, 1, 0, 1); }, v.long_erase},
        {"swr", [&] { return v.api.swr(link, 1, 0, 1, data); }, v.long_write},
        {"code-area write",
         [&] { return quillet::code(quillet::at88sc1604::write_code_area(link, v.internal, 1, 0, 1, data)); },
         v.long_code_area_write},
        {"csc", [&] { return v.api.csc(link, 1, 2, factory_code); }, false},
        {"cesc", [&] { return v.api.cesc(link, 1, 2, factory_code); }, false},
        {"fakefus", [&] { return v.api.fakefus(link, 0); }, false},
        {"psnl", [&] { return v.api.psnl(link); }, false},
        {"chk", [&] { return v.api.chk(link); }, false},
    };
    // The card keeps the replies of its long operations back for 5 s: past the normal wait of a
    // parallel link (3 s), within the long one (8 s). The other replies are held back as long by
    // the reader, which only a long wait would sit out.
    for (const auto& op : operations) {
        SCOPED_TRACE(op.name);
        start(5000);
        ASSERT_EQ(v.api.csc(link, 0, 2, factory_code), 0);
        if (!op.long_wait) {
            std::string why;
            pr->reader().faults().add(*vreader::parse_fault("delay 5000", why));
        }
        const uint32_t before = pr->clock().now_ms();
        EXPECT_EQ(op.run(), op.long_wait ? 0 : QL_TIMEOUT);
        const uint32_t took = pr->clock().now_ms() - before;
        EXPECT_GE(took, op.long_wait ? 5000u : 3000u);
        EXPECT_LT(took, op.long_wait ? 5300u : 3300u);
    }
}

TEST_P(At88sc1604Session, CompositeFramesAndWriteChunks) {
    const uint8_t code[2] = {0x12, 0x34};
    ASSERT_EQ(v.api.csc(link, 0, 2, factory_code), 0);
    const int sc4 = v.security_code[4], ez2 = v.erase_code[2];
    // Codes: erase the 2 bytes, then the code-area write, both at the code's place.
    EXPECT_EQ(host_frames([&] { EXPECT_EQ(v.api.wsc(link, 4, 2, code), 0); }),
              (std::vector<Bytes>{counted(0x76, v, 3, sc4, 2), carrying(0x66, v.variant_byte, 3, sc4, code, 2)}));
    EXPECT_EQ(host_frames([&] { EXPECT_EQ(v.api.wesc(link, 2, 2, code), 0); }),
              (std::vector<Bytes>{counted(0x76, v, 1, ez2, 2), carrying(0x66, v.variant_byte, 1, ez2, code, 2)}));
    EXPECT_EQ(card_byte(sc4), 0x12);
    EXPECT_EQ(card_byte(ez2 + 1), 0x34);
    // A refused erase stops the code write before its second frame.
    std::string why;
    pr->reader().faults().add(*vreader::parse_fault("status 0x42", why));
    EXPECT_EQ(host_frames([&] { EXPECT_EQ(v.api.wsc(link, 1, 2, code), refused_by_plan); }).size(), 1u);

    // Flags: read first, write back only with the bit cleared.
    const int zone3 = v.base[3];
    const uint8_t cleared[1] = {0x7F};
    EXPECT_EQ(
        host_frames([&] { EXPECT_EQ(v.api.clrpr(link, 3), 0); }),
        (std::vector<Bytes>{counted(0x61, v, 3, zone3, 1), carrying(0x60, v.variant_byte, 3, zone3, cleared, 1)}));
    EXPECT_EQ(host_frames([&] { EXPECT_EQ(v.api.clrpr(link, 3), 0); }),
              std::vector<Bytes>{counted(0x61, v, 3, zone3, 1)});
    const uint8_t both[1] = {0x3F};
    EXPECT_EQ(host_frames([&] { EXPECT_EQ(v.api.clrrd(link, 3), 0); }).back(),
              carrying(0x60, v.variant_byte, 3, zone3, both, 1));
    EXPECT_EQ(card_byte(zone3), 0x3F);

    // A whole zone 1 written and erased in 144-byte frames.
    const int length = v.write[1].end;
    const Bytes data = pattern(static_cast<size_t>(length), 9, 11, 1);
    const auto frames =
        host_frames([&] { EXPECT_EQ(v.api.swr(link, 1, 0, static_cast<int16_t>(length), data.data()), 0); });
    ASSERT_EQ(frames.size(), static_cast<size_t>((length + 143) / 144));
    for (size_t i = 0; i < frames.size(); ++i) {
        const int at = 144 * static_cast<int>(i);
        EXPECT_EQ(frames[i], carrying(0x60, v.variant_byte, 1, 27 + at, data.data() + at,
                                      static_cast<size_t>(std::min(144, length - at))));
    }
    const Bytes image = pr->reader().card()->contents();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin() + 27));
    const int erased = v.erase[1].end;
    const auto erase_frames = host_frames([&] { EXPECT_EQ(v.api.ser(link, 1, 0, static_cast<int16_t>(erased)), 0); });
    ASSERT_EQ(erase_frames.size(), static_cast<size_t>((erased + 143) / 144));
    EXPECT_EQ(erase_frames.back(), counted(0x76, v, 1, 27 + 144 * (erased / 144), erased % 144));
    EXPECT_EQ(card_byte(27), 0xFF);
    EXPECT_EQ(card_byte(ez2), 0xFF) << "the erase reached zone 2's code block";
}

TEST_P(At88sc1604Session, ZoneCodesCountersFlagsAndPersonalisation) {
    const uint8_t data[4] = {0xC3, 0x3C, 0x5A, 0xA5}, code2[2] = {0x12, 0x34}, erase2[2] = {0x56, 0x78};
    const uint8_t changed[2] = {0xAB, 0xCD}, wrong[2] = {0x00, 0x00};
    uint8_t back[4] = {};

    // Before personalisation the zone-0 code opens everything; wrong codes cost attempts.
    EXPECT_EQ(v.api.swr(link, 2, 1, 4, data), not_presented);
    EXPECT_EQ(v.api.csc(link, 0, 2, wrong), wrong_code);
    EXPECT_EQ(counter(v.api.rsct, 0), 3);
    ASSERT_EQ(v.api.csc(link, 0, 2, factory_code), 0);
    EXPECT_EQ(counter(v.api.rsct, 0), 4) << "the right code refills the counter";
    ASSERT_EQ(v.api.wsc(link, 2, 2, code2), 0);
    ASSERT_EQ(v.api.wesc(link, 2, 2, erase2), 0);
    ASSERT_EQ(v.api.rsc(link, 2, 2, back), 0);
    EXPECT_TRUE(std::equal(code2, code2 + 2, back));
    ASSERT_EQ(v.api.psnl(link), 0);
    power_cycle();

    // Personalised: zone 2 belongs to its own codes.
    EXPECT_EQ(v.api.swr(link, 2, 1, 4, data), not_presented);
    EXPECT_EQ(v.api.csc(link, 2, 2, factory_code), wrong_code);
    if (v.error_counter[2] != no_place) {
        EXPECT_EQ(counter(v.api.rsct, 2), 3);
    }
    EXPECT_EQ(v.api.rsc(link, 2, 2, back), 0);
    EXPECT_EQ(back[0], 0x00) << "a code reads as 00 until presented";
    ASSERT_EQ(v.api.csc(link, 2, 2, code2), 0);
    if (v.error_counter[2] != no_place) {
        EXPECT_EQ(counter(v.api.rsct, 2), 4);
    }
    ASSERT_EQ(v.api.swr(link, 2, 1, 4, data), 0);
    ASSERT_EQ(v.api.srd(link, 2, 1, 4, back), 0);
    EXPECT_TRUE(std::equal(data, data + 4, back));
    EXPECT_EQ(v.api.swr(link, 0, 2, 1, data), kept) << "the issuer bytes are fixed now";

    // Changing the code: the old one no longer opens the zone.
    ASSERT_EQ(v.api.wsc(link, 2, 2, changed), 0);
    power_cycle();
    EXPECT_EQ(v.api.csc(link, 2, 2, code2), wrong_code);
    ASSERT_EQ(v.api.csc(link, 2, 2, changed), 0);

    // Erasing needs the erase code; every presentation uses a bit of the erase counter.
    EXPECT_EQ(v.api.ser(link, 2, 1, 4), not_presented);
    EXPECT_EQ(counter(v.api.resct, 2), 8);
    EXPECT_EQ(v.api.cesc(link, 2, 2, wrong), wrong_code);
    EXPECT_EQ(counter(v.api.resct, 2), 7);
    ASSERT_EQ(v.api.cesc(link, 2, 2, erase2), 0);
    EXPECT_EQ(counter(v.api.resct, 2), 6);
    ASSERT_EQ(v.api.ser(link, 2, 1, 4), 0);
    ASSERT_EQ(v.api.srd(link, 2, 1, 4, back), 0);
    EXPECT_EQ(back[3], 0xFF);

    // A cleared protect flag closes the zone to writes until the zone's first byte is erased;
    // a cleared read flag hides it from readers without the code.
    ASSERT_EQ(v.api.clrpr(link, 2), 0);
    EXPECT_EQ(v.api.swr(link, 2, 1, 1, data), kept);
    ASSERT_EQ(v.api.ser(link, 2, 0, 1), 0);
    EXPECT_EQ(v.api.swr(link, 2, 1, 1, data), 0);
    ASSERT_EQ(v.api.clrrd(link, 2), 0);
    power_cycle();
    EXPECT_EQ(v.api.srd(link, 2, 0, 1, back), not_presented);
    EXPECT_EQ(v.api.srd(link, 1, 0, 4, back), 0) << "zone 1 still reads freely";
    ASSERT_EQ(v.api.csc(link, 2, 2, changed), 0);
    EXPECT_EQ(v.api.srd(link, 2, 0, 1, back), 0);
    EXPECT_EQ(back[0], 0xBF);

    // Four wrong zone-1 codes use its counter up; the right code is refused then.
    for (int attempt = 0; attempt < 4; ++attempt) EXPECT_EQ(v.api.csc(link, 1, 2, wrong), wrong_code);
    EXPECT_EQ(counter(v.api.rsct, 1), 0);
    EXPECT_EQ(v.api.csc(link, 1, 2, factory_code), locked);
    EXPECT_EQ(v.api.swr(link, 1, 0, 1, data), locked);
}

TEST_P(At88sc1604Session, FuseSimulationActsAsPersonalisedWhileOn) {
    const uint8_t issuer[1] = {0x77};
    ASSERT_EQ(v.api.csc(link, 0, 2, factory_code), 0);
    ASSERT_EQ(v.api.fakefus(link, 1), 0);
    EXPECT_EQ(v.api.swr(link, 0, 2, 1, issuer), kept);
    ASSERT_EQ(v.api.fakefus(link, 0), 0);
    EXPECT_EQ(v.api.swr(link, 0, 2, 1, issuer), 0);
    EXPECT_EQ(card_byte(2), 0x77);
    EXPECT_EQ(card_byte(2048), 0xFF) << "the fuse itself is intact";
}

INSTANTIATE_TEST_SUITE_P(Variants, At88sc1604Session, ::testing::ValuesIn(variants), name_of);

}  // namespace

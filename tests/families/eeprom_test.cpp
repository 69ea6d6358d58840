// The serial EEPROM cards, the I2C ones 24C01A .. 24C64 and the three-wire ones 93C46A .. 93C66,
// through the real serial path against virtual cards of every size on a pseudo-terminal at 115200
// baud: what the sizes of both families share runs over both tables, then each family's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;

using ReadFn = int16_t (*)(int32_t, int16_t, int16_t, uint8_t*);
using WriteFn = int16_t (*)(int32_t, int16_t, int16_t, const uint8_t*);
using CardFn = int16_t (*)(int32_t);

// A size: offsets and lengths count cells of cell_bytes bytes; seed makes a fresh card's contents.
struct Size {
    const char* family;
    uint8_t card_type;
    int cells;
    int cell_bytes;
    ReadFn read;
    WriteFn write;
    CardFn check;
    CardFn erase_all;  // the three-wire cards only
    unsigned seed;
};

const Size i2c_sizes[] = {
    {"24c01a", 0x60, 128, 1, srd_24c01a, swr_24c01a, chk_24c01a, nullptr, 128},
    {"24c02", 0x61, 256, 1, srd_24c02, swr_24c02, chk_24c02, nullptr, 256},
    {"24c04", 0x62, 512, 1, srd_24c04, swr_24c04, chk_24c04, nullptr, 512},
    {"24c08", 0x62, 1024, 1, srd_24c08, swr_24c08, chk_24c08, nullptr, 1024},
    {"24c16", 0x64, 2048, 1, srd_24c16, swr_24c16, chk_24c16, nullptr, 2048},
    {"24c32", 0x65, 4096, 1, srd_24c32, swr_24c32, chk_24c32, nullptr, 4096},
    {"24c64", 0x66, 8192, 1, srd_24c64, swr_24c64, chk_24c64, nullptr, 8192},
};

const Size three_wire_sizes[] = {
    {"93c46a", 0x68, 64, 2, srd_93c46a, swr_93c46a, chk_93c46a, eral_93c46a, 0x68},
    {"93c46", 0x69, 128, 1, srd_93c46, swr_93c46, chk_93c46, eral_93c46, 0x69},
    {"93c57", 0x6A, 256, 1, srd_93c57, swr_93c57, chk_93c57, eral_93c57, 0x6A},
    {"93c66", 0x6B, 512, 1, srd_93c66, swr_93c66, chk_93c66, eral_93c66, 0x6B},
};

const Size& size_named(const std::string& family) {
    for (std::span<const Size> table : {std::span<const Size>(i2c_sizes), std::span<const Size>(three_wire_sizes)})
        for (const Size& s : table)
            if (family == s.family) return s;
    throw std::invalid_argument(family);
}

size_t bytes_of(const Size& s) { return static_cast<size_t>(s.cells * s.cell_bytes); }

Bytes read_frame(uint8_t type, int address, int count) { return counted(0x61, type, address, count); }

class Eeprom : public quillet::test::CardSession {
protected:
    explicit Eeprom(const std::string& card) : CardSession(card) {}

    // Inserts a card of the size holding image (random contents when empty); the log starts empty.
    Bytes use_card(const Size& s, Bytes image = {}) {
        if (image.empty()) image = random_bytes(bytes_of(s), s.seed);
        return CardSession::use_card(s.family, [&](Bytes& b) { b = image; });
    }
};

// A family: its sizes, the cards of other kinds its checks refuse, the seed of its test data, a
// write of more than one frame whose second frame the reader refuses, and a read whose reply
// carries fewer bytes than asked.
struct Family {
    const char* name;
    const char* first_card;
    std::span<const Size> sizes;
    std::vector<const char*> others;
    unsigned data_seed;
    struct {
        const char* card;
        int16_t offset, length;
        unsigned seed;
    } refused_write;
    struct {
        const char* card;
        int16_t length;
        uint32_t carried;
    } short_reply;
};

const Family families[] = {
    {"I2c", "24c02", i2c_sizes, {"blank", "93c66", "sle4442"}, 99, {"24c02", 0, 200, 3}, {"24c08", 10, 3}},
    {"ThreeWire", "93c46", three_wire_sizes, {"blank", "24c64"}, 77, {"93c66", 100, 300, 2}, {"93c66", 20, 19}},
};

class EverySize : public Eeprom, public ::testing::WithParamInterface<Family> {
protected:
    EverySize() : Eeprom(GetParam().first_card) {}
};

TEST_P(EverySize, EachSizeCheckAcceptsOnlyItsOwnSizeAndLeavesTheCardAsItWas) {
    for (const Size& card : GetParam().sizes) {
        const Bytes image = use_card(card);
        for (const Size& check : GetParam().sizes)
            EXPECT_EQ(check.check(handle), &card == &check ? 0 : -133) << check.family << " on a " << card.family;
        EXPECT_EQ(vr.card_contents(), image) << "after the checks on a " << card.family;
    }
}

TEST_P(EverySize, SizeChecksRefuseOtherCardsAndAnEmptyReader) {
    for (const char* other : GetParam().others) {
        vr.insert_card(other);
        for (const Size& s : GetParam().sizes) EXPECT_EQ(s.check(handle), -133) << s.family << " on a " << other;
    }
    vr.remove_card();
    for (const Size& s : GetParam().sizes) EXPECT_EQ(s.check(handle), -133) << s.family << " on an empty reader";
}

TEST_P(EverySize, SizeChecksGiveWrongCardWhenNoReaderAnswers) {
    vr.set_fault(Fault::never());
    for (const Size& s : GetParam().sizes) EXPECT_EQ(s.check(handle), -133) << s.family;
    vr.clear_faults();
}

TEST_P(EverySize, WritesAndReadsCoverTheWholeCapacityOfEverySize) {
    for (const Size& s : GetParam().sizes) {
        SCOPED_TRACE(s.family);
        use_card(s);
        const Bytes data = random_bytes(bytes_of(s), GetParam().data_seed);
        ASSERT_EQ(s.write(handle, 0, static_cast<int16_t>(s.cells), data.data()), 0);
        Bytes back(bytes_of(s));
        ASSERT_EQ(s.read(handle, 0, static_cast<int16_t>(s.cells), back.data()), 0);
        EXPECT_EQ(back, data);
        EXPECT_EQ(vr.card_contents(), data);
        EXPECT_EQ(vr.host_frames().size(), 2 * ((bytes_of(s) + 143) / 144));
    }
}

TEST_P(EverySize, ReaderRefusalEndsTheRequestAndEarlierFramesStayDone) {
    const auto& w = GetParam().refused_write;
    const Size& s = size_named(w.card);
    Bytes image = use_card(s);
    const Bytes data = random_bytes(static_cast<size_t>(w.length), w.seed);
    vr.set_fault(Fault::status(0x96).at(2));
    EXPECT_EQ(s.write(handle, w.offset, w.length, data.data()), -0x96);
    EXPECT_EQ(vr.host_frames().size(), 2u);
    std::copy(data.begin(), data.begin() + 144, image.begin() + w.offset);
    EXPECT_EQ(vr.card_contents(), image);

    Bytes buffer(256);
    vr.set_fault(Fault::status(0x05));
    EXPECT_EQ(s.read(handle, 0, 10, buffer.data()), -5);
}

TEST_P(EverySize, ReplyShortOfTheAskedBytesIsAFailedRead) {
    const auto& r = GetParam().short_reply;
    const Size& s = size_named(r.card);
    use_card(s);
    Bytes buffer(static_cast<size_t>(r.length), 0xEE);
    vr.set_fault(Fault::oversize(r.carried));  // a well-formed reply carrying fewer bytes than asked
    EXPECT_EQ(s.read(handle, 0, r.length, buffer.data()), -128);
}

INSTANTIATE_TEST_SUITE_P(Eeproms, EverySize, ::testing::ValuesIn(families),
                         [](const ::testing::TestParamInfo<Family>& row) { return std::string(row.param.name); });

class I2cEeprom : public Eeprom {
protected:
    I2cEeprom() : Eeprom("24c02") {}
};

class ThreeWire : public Eeprom {
protected:
    ThreeWire() : Eeprom("93c46") {}
};

TEST_F(I2cEeprom, LongReadsTravelAsFramesOf144BytesAtMost) {
    const Bytes image = use_card(size_named("24c02"));
    Bytes buffer(256);
    ASSERT_EQ(srd_24c02(handle, 0, 256, buffer.data()), 0);
    EXPECT_EQ(buffer, image);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{read_frame(0x61, 0, 144), read_frame(0x61, 144, 112)}));

    // A read that starts mid-card and crosses a chunk boundary copies each chunk to its place.
    const Bytes large = use_card(size_named("24c16"));
    Bytes part(300);
    ASSERT_EQ(srd_24c16(handle, 1000, 300, part.data()), 0);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), large.begin() + 1000));
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{read_frame(0x64, 1000, 144), read_frame(0x64, 1144, 144),
                                                    read_frame(0x64, 1288, 12)}));
}

TEST_F(I2cEeprom, WritesCarryTheirDataAfterTwoAddressBytes) {
    Bytes image = use_card(size_named("24c64"));
    const Bytes data = random_bytes(192, 7);
    ASSERT_EQ(swr_24c64(handle, 8000, 192, data.data()), 0);
    const auto sent = vr.host_frames();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], with_data(0x62, 0x66, 8000, data.data(), 144));
    EXPECT_EQ(sent[0][7], 0x1F);
    EXPECT_EQ(sent[0][8], 0x40);
    EXPECT_EQ(sent[1], with_data(0x62, 0x66, 8144, data.data() + 144, 48));
    std::copy(data.begin(), data.end(), image.begin() + 8000);
    EXPECT_EQ(vr.card_contents(), image);
}

TEST_F(I2cEeprom, EverySizeSendsItsOwnCardTypeByte) {
    for (const Size& s : i2c_sizes) {
        SCOPED_TRACE(s.family);
        use_card(s);
        uint8_t byte = 0;
        ASSERT_EQ(s.read(handle, static_cast<int16_t>(s.cells - 1), 1, &byte), 0);
        ASSERT_EQ(s.write(handle, static_cast<int16_t>(s.cells - 1), 1, &byte), 0);
        EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{read_frame(s.card_type, s.cells - 1, 1),
                                                        with_data(0x62, s.card_type, s.cells - 1, &byte, 1)}));
    }
    // The 24C04 and the 24C08 are the same to the reader.
    uint8_t a = 0, b = 0;
    vr.clear_log();
    ASSERT_EQ(srd_24c04(handle, 0, 1, &a), 0);
    ASSERT_EQ(srd_24c08(handle, 0, 1, &b), 0);
    const auto sent = vr.host_frames();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], sent[1]);
}

// chk_24c16 on a 24C16 is 14 exchanges: its own probe (reads of 2047, 1023 and 15, write 2047,
// reads of 2047 and 1023, write-back), the 24C32 probe that must fail (6), byte 15 written back.
TEST_F(I2cEeprom, TheSixteenKilobitCheckJudgesEveryFailedExchange) {
    const Size& c16 = size_named("24c16");
    const Bytes image = use_card(c16);
    ASSERT_EQ(chk_24c16(handle), 0);
    const auto frames = vr.host_frames();
    ASSERT_EQ(frames.size(), 14u);
    EXPECT_EQ(frames[2], read_frame(0x64, 15, 1));
    EXPECT_EQ(frames[7], read_frame(0x65, 4095, 1));
    EXPECT_EQ(frames[13].size(), 11u);
    EXPECT_EQ(frames[13][4], 0x64);
    EXPECT_EQ(frames[13][8], 15);

    for (uint32_t k = 1; k <= 14; ++k) {
        SCOPED_TRACE("refused exchange " + std::to_string(k));
        use_card(c16, image);
        vr.set_fault(Fault::status(0x96).at(k));
        // A failure in its own probe or in the last write-back refuses; one in the 24C32 probe is
        // that probe failing, which is what a 24C16 does.
        EXPECT_EQ(chk_24c16(handle), k <= 7 || k == 14 ? -133 : 0);
        Bytes expected = image;
        // The own probe's write-back (7) refused: byte 2047 keeps the probe value, one more than byte 1023.
        if (k == 7) expected[2047] = static_cast<uint8_t>(image[1023] + 1);
        // The 24C32 probe lands on byte 15; a refused write-back there (13) is mended by the last write.
        EXPECT_EQ(vr.card_contents(), expected);
    }
}

TEST_F(I2cEeprom, VirtualCardsWrapTheirAddressLinesAndLoadTheirContentsFromAFile) {
    const Bytes image = use_card(size_named("24c01a"));
    uint8_t byte = 0;
    ASSERT_EQ(srd_24c02(handle, 255, 1, &byte), 0);
    EXPECT_EQ(byte, image[127]);
    // A single-address-byte chip takes the first of a 24C32 frame's two address bytes.
    const Bytes c16 = use_card(size_named("24c16"));
    ASSERT_EQ(srd_24c32(handle, 3840, 1, &byte), 0);
    EXPECT_EQ(byte, c16[15]);

    const std::string file = vr.directory() + "/card.bin";
    const Bytes stored = random_bytes(4096, 5);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(stored.data()), 4096);
    vr.insert_card("24c32:" + file);
    Bytes back(4096);
    ASSERT_EQ(srd_24c32(handle, 0, 4096, back.data()), 0);
    EXPECT_EQ(back, stored);
    EXPECT_EQ(chk_24c32(handle), 0);
}

TEST_F(ThreeWire, WordCardCountsWordsAndMovesTwoBytesEach) {
    Bytes image = use_card(size_named("93c46a"));
    const uint8_t data[4] = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(swr_93c46a(handle, 62, 2, data), 0);
    EXPECT_EQ(vr.host_frames(), std::vector<Bytes>{with_data(0x60, 0x68, 62, data, 4)});
    EXPECT_EQ(vr.host_frames()[0].size(), 14u);
    std::copy(data, data + 4, image.begin() + 124);  // the words in the caller's byte order
    EXPECT_EQ(vr.card_contents(), image);

    vr.clear_log();
    EXPECT_EQ(swr_93c46a(handle, 62, 3, data), -143);
    EXPECT_TRUE(vr.host_frames().empty());

    Bytes all(128);
    ASSERT_EQ(srd_93c46a(handle, 0, 64, all.data()), 0);
    EXPECT_EQ(vr.host_frames(), std::vector<Bytes>{read_frame(0x68, 0, 64)});
    EXPECT_EQ(all, image);
}

TEST_F(ThreeWire, LongRequestsTravelAsFramesOf144BytesAtMost) {
    Bytes image = use_card(size_named("93c66"));
    const Bytes data = random_bytes(512, 11);
    ASSERT_EQ(swr_93c66(handle, 0, 512, data.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{with_data(0x62, 0x6B, 0, data.data(), 144),
                                                    with_data(0x62, 0x6B, 144, data.data() + 144, 144),
                                                    with_data(0x62, 0x6B, 288, data.data() + 288, 144),
                                                    with_data(0x62, 0x6B, 432, data.data() + 432, 80)}));
    EXPECT_EQ(vr.card_contents(), data);

    image = use_card(size_named("93c57"));
    Bytes back(156);
    ASSERT_EQ(srd_93c57(handle, 100, 156, back.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{read_frame(0x6A, 100, 144), read_frame(0x6A, 244, 12)}));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin() + 100));
}

TEST_F(ThreeWire, EraseAllSetsEveryCellOfEverySizeToFF) {
    for (const Size& s : three_wire_sizes) {
        SCOPED_TRACE(s.family);
        const Bytes image = use_card(s);
        vr.set_fault(Fault::status(0x02));
        EXPECT_EQ(s.erase_all(handle), -2);
        EXPECT_EQ(vr.card_contents(), image);
        vr.clear_log();
        ASSERT_EQ(s.erase_all(handle), 0);
        EXPECT_EQ(vr.host_frames(), std::vector<Bytes>{command_frame(0x78, {s.card_type, 0, 0, 0, 0})});
        EXPECT_EQ(vr.card_contents(), Bytes(bytes_of(s), 0xFF));
    }
}

TEST_F(ThreeWire, WordCheckIncreasesBothBytesOfTheLastWord) {
    const Bytes image = use_card(size_named("93c46a"));
    ASSERT_EQ(chk_93c46a(handle), 0);
    const uint8_t changed[2] = {static_cast<uint8_t>(image[126] + 1), static_cast<uint8_t>(image[127] + 1)};
    EXPECT_EQ(vr.host_frames(),
              (std::vector<Bytes>{read_frame(0x68, 63, 1), with_data(0x60, 0x68, 63, changed, 2),
                                  read_frame(0x68, 63, 1), with_data(0x60, 0x68, 63, &image[126], 2)}));
}

// A wrap test judged only by the low address would take the top value for a wrap on a card whose
// low byte already holds it, and would take a card that keeps nothing for a 93C66.
TEST_F(ThreeWire, WrapTestsNeedTheValueToHoldAtTheTopAndNowhereElse) {
    const Size& c57 = size_named("93c57");
    Bytes image = random_bytes(256, 4);
    image[127] = static_cast<uint8_t>(image[255] + 1);
    use_card(c57, image);
    EXPECT_EQ(chk_93c57(handle), 0);
    EXPECT_EQ(vr.card_contents(), image);
    const auto frames = vr.host_frames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[2], with_data(0x60, 0x6A, 255, Bytes{static_cast<uint8_t>(image[255] + 2)}.data(), 1));

}

}  // namespace

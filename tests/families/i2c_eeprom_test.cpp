// The I2C EEPROM cards 24C01A .. 24C64 through the real serial path, against virtual cards of
// every size on a pseudo-terminal at 115200 baud.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace {

using quillet::test::Bytes;
using quillet::test::command_frame;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

using ReadFn = int16_t (*)(int32_t, int16_t, int16_t, uint8_t*);
using WriteFn = int16_t (*)(int32_t, int16_t, int16_t, const uint8_t*);
using CheckFn = int16_t (*)(int32_t);

struct Size {
    const char* family;
    uint8_t card_type;
    int capacity;
    ReadFn read;
    WriteFn write;
    CheckFn check;
};

const Size sizes[] = {
    {"24c01a", 0x60, 128, srd_24c01a, swr_24c01a, chk_24c01a},
    {"24c02", 0x61, 256, srd_24c02, swr_24c02, chk_24c02},
    {"24c04", 0x62, 512, srd_24c04, swr_24c04, chk_24c04},
    {"24c08", 0x62, 1024, srd_24c08, swr_24c08, chk_24c08},
    {"24c16", 0x64, 2048, srd_24c16, swr_24c16, chk_24c16},
    {"24c32", 0x65, 4096, srd_24c32, swr_24c32, chk_24c32},
    {"24c64", 0x66, 8192, srd_24c64, swr_24c64, chk_24c64},
};

const Size& size_named(const std::string& family) {
    return *std::find_if(std::begin(sizes), std::end(sizes), [&](const Size& s) { return family == s.family; });
}

// AA cmd LH LL body BCC
Bytes read_frame(uint8_t type, int address, int count) {
    return command_frame(0x61, {type, 0, 0, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 0,
                                static_cast<uint8_t>(count)});
}

Bytes write_frame(uint8_t type, int address, const uint8_t* data, size_t n) {
    Bytes body{type, 0, 0, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    body.insert(body.end(), data, data + n);
    return command_frame(0x62, body);
}

Bytes random_bytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& v : b) v = static_cast<uint8_t>(gen());
    return b;
}

class I2cEeprom : public quillet::test::CardSession {
protected:
    I2cEeprom() : CardSession("24c02") {}

    // Inserts a card of the size holding image (random contents when empty); the log starts empty.
    Bytes use_card(const Size& s, Bytes image = {}) {
        if (image.empty()) image = random_bytes(static_cast<size_t>(s.capacity), static_cast<unsigned>(s.capacity));
        vr.insert_card(s.family);
        vr.load_card_contents(image);
        vr.clear_log();
        return image;
    }

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
    EXPECT_EQ(sent[0], write_frame(0x66, 8000, data.data(), 144));
    EXPECT_EQ(sent[0][7], 0x1F);
    EXPECT_EQ(sent[0][8], 0x40);
    EXPECT_EQ(sent[1], write_frame(0x66, 8144, data.data() + 144, 48));
    std::copy(data.begin(), data.end(), image.begin() + 8000);
    EXPECT_EQ(vr.card_contents(), image);
}

TEST_F(I2cEeprom, EverySizeSendsItsOwnCardTypeByte) {
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.family);
        use_card(s);
        uint8_t byte = 0;
        ASSERT_EQ(s.read(handle, static_cast<int16_t>(s.capacity - 1), 1, &byte), 0);
        ASSERT_EQ(s.write(handle, static_cast<int16_t>(s.capacity - 1), 1, &byte), 0);
        EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{read_frame(s.card_type, s.capacity - 1, 1),
                                                        write_frame(s.card_type, s.capacity - 1, &byte, 1)}));
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

TEST_F(I2cEeprom, ArgumentChecksRunInOrderAndSendNothing) {
    struct Case {
        const char* what;
        int16_t status;
        int16_t result;
    };
    uint8_t buf[8192] = {};
    const Case cases[] = {
        {"srd_24c01a offset 128", -144, srd_24c01a(handle, 128, 1, buf)},
        {"srd_24c01a offset 100 length 29", -143, srd_24c01a(handle, 100, 29, buf)},
        {"srd_24c01a offset -1", -144, srd_24c01a(handle, -1, 1, buf)},
        {"swr_24c02 length 0", -143, swr_24c02(handle, 0, 0, buf)},
        {"swr_24c02 offset 256 length 0: offset first", -144, swr_24c02(handle, 256, 0, buf)},
        {"srd_24c02 length -5", -143, srd_24c02(handle, 0, -5, buf)},
        {"swr_24c04 offset 500 length 13", -144, swr_24c04(handle, 500, 13, buf)},
        {"srd_24c04 offset 500 length 13", -143, srd_24c04(handle, 500, 13, buf)},
        {"swr_24c04 length 0 stays a length fault", -143, swr_24c04(handle, 0, 0, buf)},
        {"swr_24c08 offset 500 length 525", -143, swr_24c08(handle, 500, 525, buf)},
        {"srd_24c16 offset 2048", -144, srd_24c16(handle, 2048, 1, buf)},
        {"swr_24c32 offset 4000 length 97", -143, swr_24c32(handle, 4000, 97, buf)},
        {"srd_24c64 offset 8192", -144, srd_24c64(handle, 8192, 1, buf)},
        {"swr_24c64 offset 1 length 8192", -143, swr_24c64(handle, 1, 8192, buf)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.status) << c.what;
    EXPECT_TRUE(vr.host_frames().empty());

    // The last byte of each size is within reach.
    EXPECT_EQ(srd_24c01a(handle, 127, 1, buf), 0);
    EXPECT_EQ(vr.host_frames().size(), 1u);
}

TEST_F(I2cEeprom, ReaderRefusalEndsTheRequestAndEarlierFramesStayDone) {
    Bytes image = use_card(size_named("24c02"));
    const Bytes data = random_bytes(200, 3);
    vr.set_fault(Fault::status(0x96).at(2));
    EXPECT_EQ(swr_24c02(handle, 0, 200, data.data()), -0x96);
    EXPECT_EQ(vr.host_frames().size(), 2u);
    std::copy(data.begin(), data.begin() + 144, image.begin());
    EXPECT_EQ(vr.card_contents(), image);

    Bytes buffer(256);
    vr.set_fault(Fault::status(0x05));
    EXPECT_EQ(srd_24c02(handle, 0, 10, buffer.data()), -5);
}

TEST_F(I2cEeprom, ReplyShortOfTheAskedBytesIsAFailedRead) {
    use_card(size_named("24c08"));
    Bytes buffer(10, 0xEE);
    vr.set_fault(Fault::oversize(3));  // a well-formed reply carrying 3 of the 10 bytes
    EXPECT_EQ(srd_24c08(handle, 0, 10, buffer.data()), -128);
}

TEST_F(I2cEeprom, EachSizeCheckAcceptsOnlyItsOwnSizeAndLeavesTheCardAsItWas) {
    for (const Size& card : sizes) {
        const Bytes image = use_card(card);
        for (const Size& check : sizes) {
            EXPECT_EQ(check.check(handle), &card == &check ? 0 : -133) << check.family << " on a " << card.family;
        }
        EXPECT_EQ(vr.card_contents(), image) << "after the checks on a " << card.family;
    }
}

TEST_F(I2cEeprom, SizeChecksRefuseOtherCardsAndAnEmptyReader) {
    for (const char* other : {"blank", "93c66", "sle4442"}) {
        vr.insert_card(other);
        for (const Size& s : sizes) EXPECT_EQ(s.check(handle), -133) << s.family << " on a " << other;
    }
    vr.remove_card();
    for (const Size& s : sizes) EXPECT_EQ(s.check(handle), -133) << s.family << " on an empty reader";
}

TEST_F(I2cEeprom, SizeChecksGiveWrongCardWhenNoReaderAnswers) {
    vr.set_fault(Fault::never());
    for (const Size& s : sizes) EXPECT_EQ(s.check(handle), -133) << s.family;
    vr.clear_faults();
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

TEST_F(I2cEeprom, WritesAndReadsCoverTheWholeCapacityOfEverySize) {
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.family);
        use_card(s);
        const Bytes data = random_bytes(static_cast<size_t>(s.capacity), 99);
        ASSERT_EQ(s.write(handle, 0, static_cast<int16_t>(s.capacity), data.data()), 0);
        Bytes back(static_cast<size_t>(s.capacity));
        ASSERT_EQ(s.read(handle, 0, static_cast<int16_t>(s.capacity), back.data()), 0);
        EXPECT_EQ(back, data);
        EXPECT_EQ(vr.card_contents(), data);
        EXPECT_EQ(vr.host_frames().size(), 2 * static_cast<size_t>((s.capacity + 143) / 144));
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

}  // namespace

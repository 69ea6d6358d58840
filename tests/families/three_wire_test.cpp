// The three-wire EEPROM cards 93C46A .. 93C66 through the real serial path, against virtual cards
// of every size on a pseudo-terminal at 115200 baud.
#include <gtest/gtest.h>

#include <algorithm>
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
using CardFn = int16_t (*)(int32_t);

struct Size {
    const char* family;
    uint8_t card_type;
    int cells;
    int cell_bytes;
    ReadFn read;
    WriteFn write;
    CardFn erase_all;
    CardFn check;
};

const Size sizes[] = {
    {"93c46a", 0x68, 64, 2, srd_93c46a, swr_93c46a, eral_93c46a, chk_93c46a},
    {"93c46", 0x69, 128, 1, srd_93c46, swr_93c46, eral_93c46, chk_93c46},
    {"93c57", 0x6A, 256, 1, srd_93c57, swr_93c57, eral_93c57, chk_93c57},
    {"93c66", 0x6B, 512, 1, srd_93c66, swr_93c66, eral_93c66, chk_93c66},
};

const Size& size_named(const std::string& family) {
    return *std::find_if(std::begin(sizes), std::end(sizes), [&](const Size& s) { return family == s.family; });
}

size_t bytes_of(const Size& s) { return static_cast<size_t>(s.cells * s.cell_bytes); }

// AA cmd LH LL body BCC
Bytes read_frame(uint8_t type, int address, int count) {
    return command_frame(0x61, {type, 0, 0, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 0,
                                static_cast<uint8_t>(count)});
}

Bytes write_frame(uint8_t command, uint8_t type, int address, const uint8_t* data, size_t n) {
    Bytes body{type, 0, 0, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    body.insert(body.end(), data, data + n);
    return command_frame(command, body);
}

Bytes random_bytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& v : b) v = static_cast<uint8_t>(gen());
    return b;
}

class ThreeWire : public quillet::test::CardSession {
protected:
    ThreeWire() : CardSession("93c46") {}

    // Inserts a card of the size holding image (random contents when empty); the log starts empty.
    Bytes use_card(const Size& s, Bytes image = {}) {
        if (image.empty()) image = random_bytes(bytes_of(s), static_cast<unsigned>(s.card_type));
        vr.insert_card(s.family);
        vr.load_card_contents(image);
        vr.clear_log();
        return image;
    }

};

TEST_F(ThreeWire, WordCardCountsWordsAndMovesTwoBytesEach) {
    Bytes image = use_card(size_named("93c46a"));
    const uint8_t data[4] = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(swr_93c46a(handle, 62, 2, data), 0);
    EXPECT_EQ(vr.host_frames(), std::vector<Bytes>{write_frame(0x60, 0x68, 62, data, 4)});
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
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{write_frame(0x62, 0x6B, 0, data.data(), 144),
                                                    write_frame(0x62, 0x6B, 144, data.data() + 144, 144),
                                                    write_frame(0x62, 0x6B, 288, data.data() + 288, 144),
                                                    write_frame(0x62, 0x6B, 432, data.data() + 432, 80)}));
    EXPECT_EQ(vr.card_contents(), data);

    image = use_card(size_named("93c57"));
    Bytes back(156);
    ASSERT_EQ(srd_93c57(handle, 100, 156, back.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{read_frame(0x6A, 100, 144), read_frame(0x6A, 244, 12)}));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin() + 100));
}

TEST_F(ThreeWire, ArgumentChecksRunInOrderAndSendNothing) {
    struct Case {
        const char* what;
        int16_t status;
        int16_t result;
    };
    uint8_t buf[1024] = {};
    const Case cases[] = {
        {"srd_93c46a offset 64", -144, srd_93c46a(handle, 64, 1, buf)},
        {"srd_93c46a offset 1 length 64", -143, srd_93c46a(handle, 1, 64, buf)},
        {"swr_93c46 offset 128", -144, swr_93c46(handle, 128, 1, buf)},
        {"srd_93c46 length 0", -143, srd_93c46(handle, 0, 0, buf)},
        {"srd_93c57 offset 200 length 57", -144, srd_93c57(handle, 200, 57, buf)},
        {"swr_93c57 offset 200 length 57", -143, swr_93c57(handle, 200, 57, buf)},
        {"srd_93c57 length 0 stays a length fault", -143, srd_93c57(handle, 0, 0, buf)},
        {"srd_93c66 offset -1", -144, srd_93c66(handle, -1, 1, buf)},
        {"swr_93c66 offset 511 length 2", -143, swr_93c66(handle, 511, 2, buf)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.status) << c.what;
    EXPECT_TRUE(vr.host_frames().empty());
}

TEST_F(ThreeWire, EraseAllSetsEveryCellOfEverySizeToFF) {
    for (const Size& s : sizes) {
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

TEST_F(ThreeWire, ReaderRefusalEndsTheRequestAndEarlierFramesStayDone) {
    Bytes image = use_card(size_named("93c66"));
    const Bytes data = random_bytes(300, 2);
    vr.set_fault(Fault::status(0x96).at(2));
    EXPECT_EQ(swr_93c66(handle, 100, 300, data.data()), -0x96);
    EXPECT_EQ(vr.host_frames().size(), 2u);
    std::copy(data.begin(), data.begin() + 144, image.begin() + 100);
    EXPECT_EQ(vr.card_contents(), image);

    Bytes back(20, 0xEE);
    vr.set_fault(Fault::oversize(19));  // a well-formed reply one byte short
    EXPECT_EQ(srd_93c66(handle, 0, 20, back.data()), -128);
}

TEST_F(ThreeWire, EachSizeCheckAcceptsOnlyItsOwnSizeAndLeavesTheCardAsItWas) {
    for (const Size& card : sizes) {
        const Bytes image = use_card(card);
        for (const Size& check : sizes)
            EXPECT_EQ(check.check(handle), &card == &check ? 0 : -133) << check.family << " on a " << card.family;
        EXPECT_EQ(vr.card_contents(), image) << "after the checks on a " << card.family;
    }
}

TEST_F(ThreeWire, WordCheckIncreasesBothBytesOfTheLastWord) {
    const Bytes image = use_card(size_named("93c46a"));
    ASSERT_EQ(chk_93c46a(handle), 0);
    const uint8_t changed[2] = {static_cast<uint8_t>(image[126] + 1), static_cast<uint8_t>(image[127] + 1)};
    EXPECT_EQ(vr.host_frames(),
              (std::vector<Bytes>{read_frame(0x68, 63, 1), write_frame(0x60, 0x68, 63, changed, 2),
                                  read_frame(0x68, 63, 1), write_frame(0x60, 0x68, 63, &image[126], 2)}));
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
    EXPECT_EQ(frames[2], write_frame(0x60, 0x6A, 255, Bytes{static_cast<uint8_t>(image[255] + 2)}.data(), 1));

    for (const char* other : {"blank", "24c64"}) {
        vr.insert_card(other);
        for (const Size& s : sizes) EXPECT_EQ(s.check(handle), -133) << s.family << " on a " << other;
    }
    vr.remove_card();
    for (const Size& s : sizes) EXPECT_EQ(s.check(handle), -133) << s.family << " on an empty reader";
}

TEST_F(ThreeWire, SizeChecksGiveWrongCardWhenNoReaderAnswers) {
    vr.set_fault(Fault::never());
    for (const Size& s : sizes) EXPECT_EQ(s.check(handle), -133) << s.family;
    vr.clear_faults();
}

TEST_F(ThreeWire, WritesAndReadsCoverTheWholeCapacityOfEverySize) {
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.family);
        use_card(s);
        const Bytes data = random_bytes(bytes_of(s), 77);
        ASSERT_EQ(s.write(handle, 0, static_cast<int16_t>(s.cells), data.data()), 0);
        Bytes back(bytes_of(s));
        ASSERT_EQ(s.read(handle, 0, static_cast<int16_t>(s.cells), back.data()), 0);
        EXPECT_EQ(back, data);
        EXPECT_EQ(vr.card_contents(), data);
    }
}

}  // namespace

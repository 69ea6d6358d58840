// AT88SC101 and AT88SC102 cards through the real serial path, against the virtual cards on a
// pseudo-terminal at 115200 baud: exact frames with the AT88SC102's zone byte and zone bases, the
// two-frame chunks, argument checks that send nothing (where read and write of one card judge a
// bad zone differently), and whole sessions through personalisation.
#include <gtest/gtest.h>

#include <string>

#include "quillet.h"
#include "tests/families/security_cards.h"

namespace {

using namespace quillet::test;
using namespace quillet::test::security;

constexpr uint8_t type_101 = 0x71;
constexpr uint8_t type_102 = 0x72;
constexpr size_t fuse_101 = 172;  // the images: the memory, then the fuse byte
constexpr size_t fuse_102 = 178;
const Bytes factory_code{0xFF, 0xFF};

class At88sc10x : public SecuritySession {
protected:
    At88sc10x() : SecuritySession("at88sc102") {}

    Bytes read_102(int16_t zone, int16_t offset, int16_t length) {
        Bytes out(static_cast<size_t>(length));
        EXPECT_EQ(srd_102(handle, zone, offset, length, out.data()), 0);
        return out;
    }
};

TEST_F(At88sc10x, LongRequestsTravelAsTwoFrames) {
    Bytes buffer(200, 0xEE);
    ASSERT_EQ(srd_102(handle, 1, 0, 156, buffer.data()), 0);
    EXPECT_EQ(vr.host_frames(),
              (std::vector<Bytes>{counted(0x61, type_102, 22, 144, 1), counted(0x61, type_102, 166, 12, 1)}));
    const Bytes card = vr.card_contents();
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 156), Bytes(card.begin() + 22, card.begin() + 178));
    EXPECT_EQ(buffer[156], 0xEE);
    EXPECT_EQ(sent_by([&] { return ser_102(handle, 0, 0, 178); }, kept).size(), 1u)
        << "the first refused frame (the identification takes no erase) ends the call";

    use_card("at88sc101", [](Bytes& b) {
        for (size_t i = 22; i < 150; ++i) b[i] = static_cast<uint8_t>(i);
    });
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    ASSERT_EQ(srd_101(handle, 0, 172, buffer.data()), 0);
    EXPECT_EQ(vr.host_frames(),
              (std::vector<Bytes>{counted(0x61, type_101, 0, 144), counted(0x61, type_101, 144, 28)}));
    EXPECT_EQ(buffer[144], 144) << "the second chunk lands at 144";
    EXPECT_EQ(buffer[149], 149);
    EXPECT_EQ(sent_by([&] { return srd_101(handle, 0, 144, buffer.data()); }).size(), 1u);

    // Writes and erases cut the same way; a failing second frame leaves the first done.
    ASSERT_EQ(csc_101(handle, 2, factory_code.data()), 0);
    const Bytes data(150, 0x00);
    vr.clear_log();
    ASSERT_EQ(ser_101(handle, 22, 150), 0);
    ASSERT_EQ(swr_101(handle, 22, 150, data.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x76, type_101, 22, 144), counted(0x76, type_101, 166, 6),
                                                    with_data(0x60, type_101, 22, Bytes(144, 0)),
                                                    with_data(0x60, type_101, 166, Bytes(6, 0))}));
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    vr.set_fault(Fault::status(0x05).at(2));
    EXPECT_EQ(srd_101(handle, 20, 150, buffer.data()), -5);
    EXPECT_EQ(buffer[2], 0x00);
    EXPECT_EQ(buffer[144], 0xEE);
    vr.set_fault(Fault::status(0x05).at(2));
    EXPECT_EQ(ser_101(handle, 22, 150), -5);
    EXPECT_EQ(vr.card_contents()[22], 0xFF);
    EXPECT_EQ(vr.card_contents()[171], 0x00);
}

TEST_F(At88sc10x, CodeFuseAndFlagFrames) {
    const Bytes code{0x5A, 0xC3};
    const Bytes zone2_code{1, 2, 3, 4};
    EXPECT_EQ(sent_by([&] { return csc_102(handle, 2, factory_code.data()); }),
              (std::vector<Bytes>{Bytes{0xAA, 0x64, 0x00, 0x07, 0x72, 0, 0, 0, 0x0A, 0xFF, 0xFF, 0xB1}}));
    EXPECT_EQ(sent_by([&] { return wsc_102(handle, 2, code.data()); }),
              (std::vector<Bytes>{counted(0x76, type_102, 10, 2), with_data(0x66, type_102, 10, code)}));
    EXPECT_EQ(sent_by([&] { return wesc_102(handle, 2, 4, zone2_code.data()); }),
              (std::vector<Bytes>{counted(0x76, type_102, 156, 4, 2), with_data(0x66, type_102, 156, zone2_code, 2)}));
    EXPECT_EQ(sent_by([&] { return cesc_102(handle, 2, 4, zone2_code.data()); }),
              (std::vector<Bytes>{with_data(0x68, type_102, 0x9C, zone2_code, 2)}));
    const Bytes zone1_code(6, 0xFF);
    EXPECT_EQ(sent_by([&] { return cesc_102(handle, 1, 6, zone1_code.data()); }),
              (std::vector<Bytes>{with_data(0x68, type_102, 0x56, zone1_code, 1)}));
    uint8_t back[6] = {};
    EXPECT_EQ(sent_by([&] { return resc_102(handle, 2, 4, back); }),
              (std::vector<Bytes>{counted(0x61, type_102, 156, 4, 2)}));
    EXPECT_EQ(Bytes(back, back + 4), zone2_code);
    EXPECT_EQ(sent_by([&] { return clrpr_102(handle, 2); }),
              (std::vector<Bytes>{counted(0x61, type_102, 92, 1, 2), with_data(0x60, type_102, 92, {0x7F}, 2)}));
    EXPECT_EQ(sent_by([&] { return clrpr_102(handle, 2); }), (std::vector<Bytes>{counted(0x61, type_102, 92, 1, 2)}));
    for (int16_t flag : {int16_t{1}, int16_t{-1}, int16_t{0}}) {
        const uint8_t f = flag != 0 ? 0xFF : 0x00;
        EXPECT_EQ(sent_by([&] { return fakefus_102(handle, flag); }),
                  (std::vector<Bytes>{with_data(0x80, type_102, 0, {f})}));
    }
    EXPECT_EQ(sent_by([&] { return psnl_102(handle); }),
              (std::vector<Bytes>{Bytes{0xAA, 0x73, 0x00, 0x05, 0x72, 0, 0, 0, 0xC2, 0x6C}}));

    use_card("at88sc101");
    const Bytes erase_code{9, 8, 7, 6};
    EXPECT_EQ(sent_by([&] { return csc_101(handle, 2, factory_code.data()); }),
              (std::vector<Bytes>{with_data(0x64, type_101, 0, factory_code)}));
    EXPECT_EQ(sent_by([&] { return wesc_101(handle, 4, erase_code.data()); }),
              (std::vector<Bytes>{counted(0x76, type_101, 150, 4), with_data(0x66, type_101, 150, erase_code)}));
    EXPECT_EQ(sent_by([&] { return cesc_101(handle, 4, erase_code.data()); }),
              (std::vector<Bytes>{with_data(0x68, type_101, 0, erase_code)}));
    EXPECT_EQ(sent_by([&] { return clrrd_101(handle); }),
              (std::vector<Bytes>{counted(0x61, type_101, 22, 1), with_data(0x60, type_101, 22, {0xBF})}));
    EXPECT_EQ(sent_by([&] { return fakefus_101(handle, 7); }),
              (std::vector<Bytes>{with_data(0x80, type_101, 0, {0xFF})}));
    EXPECT_EQ(sent_by([&] { return psnl_101(handle); }), (std::vector<Bytes>{with_data(0x73, type_101, 0, {})}));

    // A failed erase stops the code write before it is sent.
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(sent_by([&] { return wsc_101(handle, 2, code.data()); }, -0x42).size(), 1u);
}

TEST_F(At88sc10x, CountersCountTheirOwnBits) {
    use_card("at88sc102", [](Bytes& b) {
        b[12] = 0xF1;
        for (size_t i = 160; i < 176; ++i) b[i] = 0x03;
    });
    int16_t count = -1;
    EXPECT_EQ(sent_by([&] { return rsct_102(handle, &count); }), (std::vector<Bytes>{counted(0x61, type_102, 12, 1)}));
    EXPECT_EQ(count, 4) << "bits 4..7 of 0xF1";
    EXPECT_EQ(sent_by([&] { return resct_102(handle, 2, &count); }),
              (std::vector<Bytes>{counted(0x61, type_102, 160, 16, 2)}));
    EXPECT_EQ(count, 32);
    use_card("at88sc101", [](Bytes& b) { b[12] = 0xF1; });
    ASSERT_EQ(rsct_101(handle, &count), 0);
    EXPECT_EQ(count, 5) << "all 8 bits of 0xF1";
    EXPECT_EQ(sent_by([&] { return resct_101(handle, &count); }),
              (std::vector<Bytes>{counted(0x61, type_101, 154, 16)}));
    EXPECT_EQ(count, 128);
    vr.set_fault(Fault::oversize(3));
    EXPECT_EQ(resct_101(handle, &count), QL_READ_FAILED);
    EXPECT_EQ(count, 128) << "a failed read leaves the count alone";
}

TEST_F(At88sc10x, At88sc102IssuedAndUsedZoneByZone) {
    const Bytes code{0x5A, 0xC3};
    const Bytes zone1_code{1, 1, 2, 3, 5, 8};
    const Bytes zone2_code{0xC0, 0xDE, 0x00, 0x02};
    const Bytes zone1_data = pattern(40, 0x11);
    const Bytes zone2_data = pattern(40, 0x77);

    const uint8_t test_bytes[2] = {0x12, 0x34};
    ASSERT_EQ(swr_102(handle, 2, 84, 2, test_bytes), 0) << "the memory test area needs no code";
    EXPECT_EQ(swr_102(handle, 1, 1, 40, zone1_data.data()), not_presented);
    ASSERT_EQ(csc_102(handle, 2, factory_code.data()), 0);
    ASSERT_EQ(swr_102(handle, 1, 1, 40, zone1_data.data()), 0);
    ASSERT_EQ(swr_102(handle, 2, 1, 40, zone2_data.data()), 0);
    ASSERT_EQ(wesc_102(handle, 1, 6, zone1_code.data()), 0);
    ASSERT_EQ(wesc_102(handle, 2, 4, zone2_code.data()), 0);
    ASSERT_EQ(wsc_102(handle, 2, code.data()), 0);
    ASSERT_EQ(clrrd_102(handle, 1), 0);
    ASSERT_EQ(psnl_102(handle), 0);
    EXPECT_EQ(vr.card_contents()[fuse_102], 0x00);

    power_cycle();
    EXPECT_EQ(chk_102(handle), 0);
    EXPECT_EQ(read_102(1, 0, 3), (Bytes{0xBF, 0, 0})) << "zone 1 hides its data behind the read flag";
    EXPECT_EQ(read_102(2, 1, 40), zone2_data);
    EXPECT_EQ(read_102(2, 64, 4), Bytes(4, 0)) << "erase codes hide once issued";
    EXPECT_EQ(swr_102(handle, 0, 2, 1, test_bytes), kept) << "the issuer data is frozen";
    ASSERT_EQ(csc_102(handle, 2, code.data()), 0);
    EXPECT_EQ(read_102(1, 1, 40), zone1_data);

    // Erasing an application zone takes its erase code; zone 2 counts every presentation.
    EXPECT_EQ(ser_102(handle, 2, 1, 40), not_presented);
    EXPECT_EQ(cesc_102(handle, 2, 4, zone1_code.data()), wrong_code);
    ASSERT_EQ(cesc_102(handle, 2, 4, zone2_code.data()), 0);
    int16_t count = 0;
    ASSERT_EQ(resct_102(handle, 2, &count), 0);
    EXPECT_EQ(count, 126);
    ASSERT_EQ(ser_102(handle, 2, 1, 40), 0);
    EXPECT_EQ(read_102(2, 1, 40), Bytes(40, 0xFF));
    EXPECT_EQ(read_102(2, 64, 4), zone2_code);
    EXPECT_EQ(ser_102(handle, 1, 1, 40), not_presented) << "zone 2's erase code opens zone 2 only";
    EXPECT_EQ(ser_102(handle, 0, 14, 8), 0) << "the code-protected area needs the security code only";
    EXPECT_EQ(ser_102(handle, 2, 68, 16), kept) << "the erase counter is the card's once issued";

    // A clear protect flag freezes the zone, flag byte included.
    ASSERT_EQ(cesc_102(handle, 1, 6, zone1_code.data()), 0);
    ASSERT_EQ(clrpr_102(handle, 1), 0);
    EXPECT_EQ(swr_102(handle, 1, 50, 1, test_bytes), kept);
    EXPECT_EQ(ser_102(handle, 1, 1, 40), kept);
    EXPECT_EQ(read_102(1, 0, 1), (Bytes{0x3F}));
    ASSERT_EQ(swr_102(handle, 2, 50, 2, test_bytes), 0) << "zone 2 is still open";
}

TEST_F(At88sc10x, At88sc101WritesOnlyClearBitsAndHonoursTheSimulatedFuse) {
    use_card("at88sc101");
    const Bytes erase_code{9, 8, 7, 6};
    const uint8_t low = 0x0F, high = 0xF0;
    ASSERT_EQ(csc_101(handle, 2, factory_code.data()), 0);
    ASSERT_EQ(swr_101(handle, 40, 1, &low), 0);
    ASSERT_EQ(swr_101(handle, 40, 1, &high), 0);
    EXPECT_EQ(vr.card_contents()[40], 0x00) << "writing only clears bits";
    ASSERT_EQ(wesc_101(handle, 4, erase_code.data()), 0);
    ASSERT_EQ(swr_101(handle, 2, 1, &low), 0);

    ASSERT_EQ(fakefus_101(handle, 1), 0);
    EXPECT_EQ(swr_101(handle, 3, 1, &low), kept) << "the simulated fuse freezes the issuer data";
    EXPECT_EQ(ser_101(handle, 40, 1), not_presented) << "and erasing takes the erase code";
    ASSERT_EQ(cesc_101(handle, 4, erase_code.data()), 0);
    ASSERT_EQ(ser_101(handle, 40, 1), 0);
    EXPECT_EQ(vr.card_contents()[40], 0xFF);
    ASSERT_EQ(fakefus_101(handle, 0), 0);
    ASSERT_EQ(swr_101(handle, 3, 1, &low), 0);
    EXPECT_EQ(vr.card_contents()[fuse_101], 0xFF);
}

TEST_F(At88sc10x, WrongCodesLockTheCardsForGood) {
    const Bytes wrong{0x12, 0x34};
    int16_t count = -1;
    for (int16_t left = 3; left >= 0; --left) {
        EXPECT_EQ(csc_102(handle, 2, wrong.data()), wrong_code);
        ASSERT_EQ(rsct_102(handle, &count), 0);
        EXPECT_EQ(count, left);
    }
    EXPECT_EQ(csc_102(handle, 2, factory_code.data()), locked);
    EXPECT_EQ(swr_102(handle, 1, 1, 1, wrong.data()), locked);
    EXPECT_EQ(wsc_102(handle, 2, wrong.data()), locked);
    EXPECT_EQ(psnl_102(handle), locked);

    use_card("at88sc101");
    for (int i = 0; i < 8; ++i) EXPECT_EQ(csc_101(handle, 2, wrong.data()), wrong_code);
    ASSERT_EQ(rsct_101(handle, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(csc_101(handle, 2, factory_code.data()), locked);

    use_card("at88sc102", [](Bytes& b) {
        std::fill(b.begin() + 160, b.begin() + 176, uint8_t{0});
        b[175] = 0x80;
    });
    const Bytes zone2_code(4, 0xFF);
    EXPECT_EQ(cesc_102(handle, 2, 4, zone2_code.data()), 0);
    EXPECT_EQ(cesc_102(handle, 2, 4, zone2_code.data()), locked) << "the erase counter is used up";
    const Bytes zone1_code(6, 0x00);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cesc_102(handle, 1, 6, zone1_code.data()), wrong_code) << "zone 1 is not counted";
}

TEST_F(At88sc10x, CardChecks) {
    EXPECT_EQ(sent_by([&] { return chk_102(handle); }), (std::vector<Bytes>{counted(0x61, type_102, 0, 2)}));
    EXPECT_EQ(chk_101(handle), QL_WRONG_CARD);
    for (const Bytes& id : {Bytes{0x0F, 0x0F}, Bytes{0x17, 0xAA}, Bytes{0x77, 0x57}}) {
        use_card("at88sc102", [&](Bytes& b) { std::copy(id.begin(), id.end(), b.begin()); });
        EXPECT_EQ(chk_102(handle), 0);
    }
    use_card("at88sc102", [](Bytes& b) { b[0] = 0x71, b[1] = 0x56; });
    EXPECT_EQ(chk_102(handle), QL_WRONG_CARD);
    use_card("at88sc101");
    EXPECT_EQ(sent_by([&] { return chk_101(handle); }), (std::vector<Bytes>{counted(0x61, type_101, 0, 2)}));
    EXPECT_EQ(chk_102(handle), QL_WRONG_CARD) << "the AT88SC102 frames reach no AT88SC101";
    use_card("at88sc101", [](Bytes& b) { b[0] = 0x12, b[1] = 0x34; });
    const uint8_t codes[2] = {0x12, 0x34};
    ASSERT_EQ(set_code(0, 1, 2, codes), 0);
    EXPECT_EQ(chk_101(handle), QL_WRONG_CARD) << "the AT88SC101 reads no registered codes";
    use_card("at88sc102", [](Bytes& b) { b[0] = 0x12, b[1] = 0x34; });
    EXPECT_EQ(chk_102(handle), 0);
    ASSERT_EQ(set_code(0, 0, 0, codes), 0);
    EXPECT_EQ(chk_102(handle), QL_WRONG_CARD);
    vr.remove_card();
    EXPECT_EQ(chk_101(handle), no_card);
    EXPECT_EQ(chk_102(handle), no_card);
}

TEST_F(At88sc10x, ContentsComeFromAFileAndAreSavedBack) {
    expect_contents_kept_in_file("at88sc101");
    expect_contents_kept_in_file("at88sc102");
}

}  // namespace

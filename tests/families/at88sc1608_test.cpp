// AT88SC1608 cards through the real serial path, against the virtual card on a pseudo-terminal
// at 115200 baud: exact frames, argument checks that send nothing, the cutting of user-zone
// transfers, and whole sessions with passwords, access registers, personalisation and the mutual
// authentication computed with SetInit/Authenticate.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>

#include "quillet.h"
#include "tests/families/crypto_memory.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;

// The card's contents image: user zones 0..7, the configuration zone, the fuse byte.
constexpr size_t configuration_at = 2048;
constexpr size_t fuse_at = 2176;

Bytes read_frame(uint8_t area, uint8_t zone, int address, int count) {
    return command_frame(0x61, {0x74, area, zone, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 0,
                                static_cast<uint8_t>(count)});
}
Bytes zone_read(int zone, int address, int count) { return read_frame(0, static_cast<uint8_t>(zone), address, count); }
Bytes config_read(int address, int count) { return read_frame(1, 0, address, count); }

Bytes write_frame(uint8_t area, uint8_t zone, int address, const Bytes& data) {
    Bytes body{0x74, area, zone, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    body.insert(body.end(), data.begin(), data.end());
    return command_frame(0x60, body);
}

Authentication authenticate(int32_t handle, const uint8_t* seed, const uint8_t* q) {
    return quillet::test::authenticate(srdconfig_1608, init_auth_1608, handle, seed, q);
}

class At88sc1608 : public CryptoMemorySession {
protected:
    At88sc1608() : CryptoMemorySession("at88sc1608", configuration_at) {}

    const std::array<uint8_t, 8> seed{0x5E, 0xED, 0x16, 0x08, 0xC0, 0xFF, 0xEE, 0x01};
};

TEST_F(At88sc1608, UserZoneTransfersAreCutAtZoneBoundariesAndAfter144Bytes) {
    uint8_t buffer[2176];
    EXPECT_EQ(sent_by([&] { return srd_1608(handle, 7, 200, 184, buffer); }),
              (std::vector<Bytes>{zone_read(7, 200, 56), zone_read(8, 0, 128)}));
    EXPECT_EQ(sent_by([&] { return srd_1608(handle, 0, 0, 300, buffer); }),
              (std::vector<Bytes>{zone_read(0, 0, 144), zone_read(0, 144, 112), zone_read(1, 0, 44)}));
    EXPECT_EQ(sent_by([&] { return srd_1608(handle, 3, 250, 6, buffer); }), (std::vector<Bytes>{zone_read(3, 250, 6)}));
    EXPECT_EQ(sent_by([&] { return srd_1608(handle, 0, 0, 2176, buffer); }).size(), 17u);  // 8 zones of 2, zone 8 in 1

    const Bytes data = pattern(300, 0x21, 13, 1);
    const auto frames = sent_by([&] { return swr_1608(handle, 2, 100, 300, data.data()); });
    EXPECT_EQ(frames, (std::vector<Bytes>{write_frame(0, 2, 100, Bytes(data.begin(), data.begin() + 144)),
                                          write_frame(0, 2, 244, Bytes(data.begin() + 144, data.begin() + 156)),
                                          write_frame(0, 3, 0, Bytes(data.begin() + 156, data.end()))}));
    EXPECT_EQ(sent_by([&] { return swr_1608(handle, 7, 200, 56, data.data()); }),
              (std::vector<Bytes>{write_frame(0, 7, 200, Bytes(data.begin(), data.begin() + 56))}));
}

TEST_F(At88sc1608, AllUserZonesWriteAndReadBackThroughTheCard) {
    const Bytes data = pattern(2048, 0x05, 13, 1);
    ASSERT_EQ(swr_1608(handle, 0, 0, 2048, data.data()), 0);
    const Bytes image = vr.card_contents();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin()));

    // A read from zone 0 covers all 2176 bytes: zone 8 shows the configuration zone.
    Bytes back(2176);
    ASSERT_EQ(srd_1608(handle, 0, 0, 2176, back.data()), 0);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin()));
    Bytes tail(70);
    ASSERT_EQ(srd_1608(handle, 6, 230, 70, tail.data()), 0);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), data.begin() + 6 * 256 + 230));
}

TEST_F(At88sc1608, FirstFailingFrameEndsTheTransferAndEarlierBytesStay) {
    const Bytes data = pattern(400, 0x44, 13, 1);
    ASSERT_EQ(swr_1608(handle, 0, 0, 400, data.data()), 0);
    Bytes back(400, 0xEE);
    vr.set_fault(Fault::status(0x42).at(2));
    EXPECT_EQ(sent_by([&] { return srd_1608(handle, 0, 0, 400, back.data()); }, -0x42).size(), 2u);
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 144, data.begin()));
    EXPECT_EQ(back[144], 0xEE);

    vr.set_fault(Fault::status(0x42).at(3));
    const Bytes other = pattern(400, 0x99, 13, 1);
    EXPECT_EQ(sent_by([&] { return swr_1608(handle, 0, 0, 400, other.data()); }, -0x42).size(), 3u);
    const Bytes image = vr.card_contents();
    EXPECT_TRUE(std::equal(other.begin(), other.begin() + 256, image.begin()));  // zone 0's two frames
    EXPECT_TRUE(std::equal(data.begin() + 256, data.end(), image.begin() + 256));

    Bytes small(8, 0xEE);
    vr.set_fault(Fault::oversize(3));
    EXPECT_EQ(srdconfig_1608(handle, 0, 8, small.data()), QL_READ_FAILED);
    EXPECT_EQ(small, Bytes(8, 0xEE));
}

TEST_F(At88sc1608, FixedFramesOfTheFamily) {
    uint8_t buffer[8] = {};
    EXPECT_EQ(sent_by([&] { return reset_1608(handle, 4, buffer); }),
              (std::vector<Bytes>{command_frame(0x63, {0x74, 0, 0, 0, 0, 0, 4})}));
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x2C, 0xAA, 0x55, 0xA0}));
    EXPECT_EQ(sent_by([&] { return psnl_1608(handle); }),
              (std::vector<Bytes>{command_frame(0x71, {0x74, 0, 0, 0, 0})}));
    EXPECT_EQ(sent_by([&] { return srfus_1608(handle, 1, buffer); }), (std::vector<Bytes>{config_read(128, 1)}));
    EXPECT_EQ(buffer[0], 0x00);  // personalised: every fuse blown

    Bytes auth(16);
    for (size_t i = 0; i < auth.size(); ++i) auth[i] = static_cast<uint8_t>(0xA0 + i);
    Bytes body{0x74, 0, 0, 0, 0};
    body.insert(body.end(), auth.begin(), auth.end());
    EXPECT_EQ(sent_by([&] { return init_auth_1608(handle, 16, auth.data()); }, wrong_code),
              (std::vector<Bytes>{command_frame(0x6D, body)}));
}

TEST_F(At88sc1608, PasswordFramesNameTheSetAndSelector) {
    const uint8_t pw[3] = {0x12, 0x34, 0x56};
    uint8_t buffer[3] = {};
    // P = 64 + 8 × set + 4 × selector, S = set with 0x08 for the second password.
    EXPECT_EQ(sent_by([&] { return csc_1608(handle, 2, 3, 1, pw); }, wrong_code),
              (std::vector<Bytes>{command_frame(0x64, {0x74, 0, 0, 0, 0, 0x54, 0x0A, 0x12, 0x34, 0x56})}));
    EXPECT_EQ(sent_by([&] { return csc_1608(handle, 0, 3, 0, pw); }, wrong_code),
              (std::vector<Bytes>{command_frame(0x64, {0x74, 0, 0, 0, 0, 0x40, 0x00, 0x12, 0x34, 0x56})}));
    // Every selector other than 0 names the second password, in all four password functions.
    EXPECT_EQ(sent_by([&] { return csc_1608(handle, 7, 3, -3, pw); }, wrong_code),
              (std::vector<Bytes>{command_frame(0x64, {0x74, 0, 0, 0, 0, 0x7C, 0x0F, 0x12, 0x34, 0x56})}));
    EXPECT_EQ(sent_by([&] { return wsc_1608(handle, 5, 3, 0, pw); }),
              (std::vector<Bytes>{write_frame(1, 0, 65 + 40, Bytes(pw, pw + 3))}));
    EXPECT_EQ(sent_by([&] { return wsc_1608(handle, 5, 3, 2, pw); }),
              (std::vector<Bytes>{write_frame(1, 0, 69 + 40, Bytes(pw, pw + 3))}));
    EXPECT_EQ(sent_by([&] { return rsc_1608(handle, 5, 3, 9, buffer); }), (std::vector<Bytes>{config_read(109, 3)}));
    EXPECT_EQ(Bytes(buffer, buffer + 3), Bytes(pw, pw + 3));
    EXPECT_EQ(sent_by([&] { return rsct_1608(handle, 1, 1, 0, buffer); }), (std::vector<Bytes>{config_read(72, 1)}));
    EXPECT_EQ(sent_by([&] { return rsct_1608(handle, 1, 1, 1, buffer); }), (std::vector<Bytes>{config_read(76, 1)}));
    EXPECT_EQ(sent_by([&] { return rac_1608(handle, 7, 1, buffer); }), (std::vector<Bytes>{config_read(23, 1)}));
    EXPECT_EQ(sent_by([&] { return wac_1608(handle, 3, 1, pw); }), (std::vector<Bytes>{write_frame(1, 0, 19, {0x12})}));
    EXPECT_EQ(config_byte(19), 0x12);
}

TEST_F(At88sc1608, CardCheckAcceptsOnlyItsAnswerToReset) {
    EXPECT_EQ(chk_1608(handle), 0);
    vr.insert_card("at88sc153");
    EXPECT_EQ(chk_1608(handle), QL_WRONG_CARD);
    vr.insert_card("sle4442");
    EXPECT_EQ(chk_1608(handle), QL_WRONG_CARD);
    vr.remove_card();
    EXPECT_EQ(chk_1608(handle), QL_WRONG_CARD);
    vr.insert_card("at88sc1608");
    Bytes image = vr.card_contents();
    image[configuration_at + 3] = 0xA1;  // the answer to reset comes from the card's fixed bytes
    vr.load_card_contents(image);
    EXPECT_EQ(chk_1608(handle), QL_WRONG_CARD);
    vr.insert_card("at88sc1608");
    vr.set_fault(Fault::bad_bcc());
    EXPECT_EQ(chk_1608(handle), QL_WRONG_CARD);
    EXPECT_EQ(chk_1608(handle), 0);
}

TEST_F(At88sc1608, HostComputedAuthenticationIsAcceptedAndTheCardProvesItself) {
    ASSERT_EQ(swrconfig_1608(handle, 40, 8, seed.data()), 0);
    std::mt19937 random(1608);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        uint8_t q[8];
        for (uint8_t& b : q) b = static_cast<uint8_t>(random());
        const Authentication a = authenticate(handle, seed.data(), q);
        EXPECT_EQ(a.status, 0);
        EXPECT_TRUE(a.card_proved);
    }

    // A host that does not know the seed is refused, costs an attempt, and the cryptogram stays.
    auto wrong_seed = seed;
    wrong_seed[7] ^= 0x01;
    const uint8_t q[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes before = vr.card_contents();
    const Authentication a = authenticate(handle, wrong_seed.data(), q);
    EXPECT_EQ(a.status, wrong_code);
    EXPECT_FALSE(a.card_proved);
    EXPECT_EQ(config_byte(32), 0xEE);
    const Bytes after = vr.card_contents();
    EXPECT_TRUE(std::equal(after.begin() + configuration_at + 33, after.begin() + configuration_at + 40,
                           before.begin() + configuration_at + 33));

    // Right again: the counter is refilled.
    EXPECT_EQ(authenticate(handle, seed.data(), q).status, 0);
    EXPECT_EQ(config_byte(32), 0xFF);
}

TEST_F(At88sc1608, FourWrongAuthenticationsLockIt) {
    ASSERT_EQ(swrconfig_1608(handle, 40, 8, seed.data()), 0);
    const uint8_t q[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    uint8_t junk[16] = {};
    const uint8_t counters[] = {0xEE, 0xCC, 0x88, 0x00};
    for (uint8_t expected : counters) {
        EXPECT_EQ(init_auth_1608(handle, 16, junk), wrong_code);
        EXPECT_EQ(config_byte(32), expected);
    }
    EXPECT_EQ(authenticate(handle, seed.data(), q).status, locked);
}

TEST_F(At88sc1608, AccessRegistersAskForAuthenticationAndPasswords) {
    const uint8_t write_pw[3] = {0x11, 0x22, 0x33}, read_pw[3] = {0x44, 0x55, 0x66}, bad[3] = {0x11, 0x22, 0x34};
    const uint8_t auth_only = 0xDF;       // bit 5 clear
    const uint8_t passwords_of_3 = 0x3B;  // bits 7 and 6 clear, set 3
    const uint8_t closed = 0xEF;          // bit 4 clear
    ASSERT_EQ(swrconfig_1608(handle, 40, 8, seed.data()), 0);
    ASSERT_EQ(wac_1608(handle, 1, 1, &auth_only), 0);
    ASSERT_EQ(wac_1608(handle, 2, 1, &passwords_of_3), 0);
    ASSERT_EQ(wac_1608(handle, 3, 1, &closed), 0);
    ASSERT_EQ(wsc_1608(handle, 3, 3, 0, write_pw), 0);
    ASSERT_EQ(wsc_1608(handle, 3, 3, 1, read_pw), 0);
    uint8_t ar = 0;
    ASSERT_EQ(rac_1608(handle, 2, 1, &ar), 0);
    EXPECT_EQ(ar, passwords_of_3);

    uint8_t buffer[16] = {};
    const uint8_t q[8] = {0xA5, 0x5A, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ(srd_1608(handle, 1, 0, 16, buffer), not_presented);
    ASSERT_EQ(authenticate(handle, seed.data(), q).status, 0);
    EXPECT_EQ(srd_1608(handle, 1, 0, 16, buffer), 0);
    EXPECT_EQ(swr_1608(handle, 1, 0, 16, buffer), 0);
    ASSERT_EQ(reset_1608(handle, 4, buffer), 0);  // a reset forgets the authentication
    EXPECT_EQ(srd_1608(handle, 1, 0, 16, buffer), not_presented);

    EXPECT_EQ(srd_1608(handle, 2, 0, 16, buffer), not_presented);
    EXPECT_EQ(csc_1608(handle, 3, 3, 0, bad), wrong_code);
    uint8_t counter = 0;
    ASSERT_EQ(rsct_1608(handle, 3, 1, 0, &counter), 0);
    EXPECT_EQ(counter, 0xEE);
    EXPECT_EQ(csc_1608(handle, 3, 3, 1, read_pw), 0);  // the read password opens reading only
    EXPECT_EQ(srd_1608(handle, 2, 0, 16, buffer), 0);
    EXPECT_EQ(swr_1608(handle, 2, 0, 16, buffer), not_presented);
    EXPECT_EQ(csc_1608(handle, 3, 3, 0, write_pw), 0);
    ASSERT_EQ(rsct_1608(handle, 3, 1, 0, &counter), 0);
    EXPECT_EQ(counter, 0xFF);
    EXPECT_EQ(swr_1608(handle, 2, 0, 3, write_pw), 0);
    EXPECT_EQ(vr.card_contents()[512], 0x11);

    EXPECT_EQ(swr_1608(handle, 3, 0, 1, buffer), kept);
    EXPECT_EQ(srd_1608(handle, 3, 0, 1, buffer), 0);
    // A run across a closed zone stops there; zone 2's frame is already written.
    const Bytes data(300, 0x77);
    EXPECT_EQ(swr_1608(handle, 2, 0, 300, data.data()), kept);
    EXPECT_EQ(vr.card_contents()[512 + 255], 0x77);
}

TEST_F(At88sc1608, PersonalisationClosesTheConfigurationZoneToAllButTheSecureCode) {
    const uint8_t secure[3] = {0x0A, 0x0B, 0x0C}, pw[3] = {0x11, 0x22, 0x33};
    ASSERT_EQ(swrconfig_1608(handle, 40, 8, seed.data()), 0);
    ASSERT_EQ(wsc_1608(handle, 7, 3, 0, secure), 0);
    ASSERT_EQ(wsc_1608(handle, 3, 3, 0, pw), 0);
    uint8_t fuses = 0;
    ASSERT_EQ(srfus_1608(handle, 1, &fuses), 0);
    EXPECT_EQ(fuses, 0x07);
    ASSERT_EQ(psnl_1608(handle), 0);
    ASSERT_EQ(srfus_1608(handle, 1, &fuses), 0);
    EXPECT_EQ(fuses, 0x00);
    EXPECT_EQ(vr.card_contents()[fuse_at], 0x00);

    uint8_t shown[8] = {};
    ASSERT_EQ(srdconfig_1608(handle, 40, 8, shown), 0);
    EXPECT_EQ(Bytes(shown, shown + 8), Bytes(8, 0x00));  // the seed is never shown again
    ASSERT_EQ(rsc_1608(handle, 3, 3, 0, shown), 0);
    EXPECT_EQ(Bytes(shown, shown + 3), Bytes(3, 0x00));
    const uint8_t ar = 0x7F;
    EXPECT_EQ(wac_1608(handle, 0, 1, &ar), not_presented);
    const uint8_t test_zone[2] = {0x5A, 0xA5};
    EXPECT_EQ(swrconfig_1608(handle, 10, 2, test_zone), 0);  // the memory test zone stays open

    EXPECT_EQ(csc_1608(handle, 7, 3, 0, secure), 0);
    ASSERT_EQ(rsc_1608(handle, 3, 3, 0, shown), 0);
    EXPECT_EQ(Bytes(shown, shown + 3), Bytes(pw, pw + 3));
    EXPECT_EQ(wac_1608(handle, 0, 1, &ar), 0);
    ASSERT_EQ(srdconfig_1608(handle, 40, 8, shown), 0);
    EXPECT_EQ(Bytes(shown, shown + 8), Bytes(8, 0x00));
    EXPECT_EQ(swrconfig_1608(handle, 0, 1, shown), kept);    // answer to reset
    EXPECT_EQ(swrconfig_1608(handle, 128, 1, shown), kept);  // fuses are blown, never written

    // Authentication still works with the hidden seed.
    const uint8_t q[8] = {7, 6, 5, 4, 3, 2, 1, 0};
    const Authentication a = authenticate(handle, seed.data(), q);
    EXPECT_EQ(a.status, 0);
    EXPECT_TRUE(a.card_proved);
}

TEST_F(At88sc1608, WrongPasswordsUseUpTheirCounterForGood) {
    const uint8_t bad[3] = {1, 2, 3}, factory[3] = {0xFF, 0xFF, 0xFF};
    const uint8_t counters[] = {0xEE, 0xCC, 0x88, 0x00};
    for (uint8_t expected : counters) {
        EXPECT_EQ(csc_1608(handle, 6, 3, 1, bad), wrong_code);
        EXPECT_EQ(config_byte(64 + 48 + 4), expected);
    }
    EXPECT_EQ(csc_1608(handle, 6, 3, 1, factory), locked);
    EXPECT_EQ(csc_1608(handle, 6, 3, 0, factory), 0);  // the set's other password has its own counter
    EXPECT_EQ(config_byte(64 + 48), 0xFF);
}

}  // namespace

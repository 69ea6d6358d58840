// AT88SC153 cards through the real serial path, against the virtual card on a pseudo-terminal at
// 115200 baud: exact frames, argument checks that send nothing, the fuse verification of
// swfus_153, and sessions with passwords, access registers and the mutual authentication
// computed with SetInit/Authenticate.
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

// The card's contents image: user zones 0..2, the configuration zone, the fuse byte.
constexpr size_t configuration_at = 192;
constexpr size_t fuse_at = 256;

Bytes read_frame(int zone, int address, int count) {
    return counted(0x61, 0x75, address, count, static_cast<uint8_t>(zone));
}
Bytes write_frame(int zone, int address, const Bytes& data) {
    return with_data(0x60, 0x75, address, data, static_cast<uint8_t>(zone));
}

constexpr int configuration_zone = 3;
const Bytes read_fuses_frame = command_frame(0x74, {0x75, 0, 0, 0, 0, 0, 1});
Bytes blow_frame(uint8_t fuse) { return command_frame(0x71, {0x75, 0, 0, 0, 0, fuse}); }

Authentication authenticate(int32_t handle, const uint8_t* seed, const uint8_t* q) {
    return quillet::test::authenticate(srdconfig_153, init_auth_153, handle, seed, q);
}

class At88sc153 : public CryptoMemorySession {
protected:
    At88sc153() : CryptoMemorySession("at88sc153", configuration_at) {}

    void set_fuse_byte(uint8_t value) {
        Bytes image = vr.card_contents();
        image.at(fuse_at) = value;
        vr.load_card_contents(image);
    }

    const std::array<uint8_t, 8> seed{0x15, 0x3A, 0x70, 0x0D, 0xBE, 0xEF, 0x42, 0x99};
};

TEST_F(At88sc153, TransfersAreOneFrameWithAOneByteAddress) {
    uint8_t buffer[64] = {};
    EXPECT_EQ(sent_by([&] { return srd_153(handle, 2, 60, 4, buffer); }), (std::vector<Bytes>{read_frame(2, 60, 4)}));
    EXPECT_EQ(sent_by([&] { return srd_153(handle, 2, 60, 4, buffer); })[0],
              (Bytes{0xAA, 0x61, 0x00, 0x07, 0x75, 0x00, 0x02, 0x00, 0x3C, 0x00, 0x04, 0x83}));
    const Bytes data{1, 2, 3, 4, 5};
    EXPECT_EQ(sent_by([&] { return swr_153(handle, 1, 59, 5, data.data()); }),
              (std::vector<Bytes>{write_frame(1, 59, data)}));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), vr.card_contents().begin() + 64 + 59));
    ASSERT_EQ(srd_153(handle, 1, 56, 8, buffer), 0);
    EXPECT_EQ(Bytes(buffer + 3, buffer + 8), data);

    EXPECT_EQ(sent_by([&] { return srdconfig_153(handle, 0, 64, buffer); }),
              (std::vector<Bytes>{read_frame(configuration_zone, 0, 64)}));
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x2C, 0xAA, 0x55, 0xA1}));
    const uint8_t dcr = 0x5C, ar = 0xAB;
    EXPECT_EQ(sent_by([&] { return wdcr_153(handle, 1, &dcr); }),
              (std::vector<Bytes>{write_frame(configuration_zone, 24, {0x5C})}));
    EXPECT_EQ(sent_by([&] { return rdcr_153(handle, 1, buffer); }),
              (std::vector<Bytes>{read_frame(configuration_zone, 24, 1)}));
    EXPECT_EQ(buffer[0], 0x5C);
    EXPECT_EQ(sent_by([&] { return rautht_153(handle, 1, buffer); }),
              (std::vector<Bytes>{read_frame(configuration_zone, 32, 1)}));
    EXPECT_EQ(buffer[0], 0xFF);
    EXPECT_EQ(sent_by([&] { return wac_153(handle, 2, 1, &ar); }),
              (std::vector<Bytes>{write_frame(configuration_zone, 14, {0xAB})}));
    EXPECT_EQ(sent_by([&] { return rac_153(handle, 0, 1, buffer); }),
              (std::vector<Bytes>{read_frame(configuration_zone, 12, 1)}));
    EXPECT_EQ(config_byte(14), 0xAB);

    Bytes small(8, 0xEE);
    vr.set_fault(Fault::oversize(7));
    EXPECT_EQ(srd_153(handle, 0, 0, 8, small.data()), QL_READ_FAILED);
    EXPECT_EQ(small, Bytes(8, 0xEE));
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(swr_153(handle, 0, 0, 5, data.data()), -0x42);
}

TEST_F(At88sc153, PasswordFramesCarryTheByteBuiltFromB3) {
    const uint8_t pw[3] = {0xAB, 0xCD, 0xEF};
    uint8_t buffer[3] = {};
    const struct {
        int16_t set, selector;
        uint8_t p, v;
    } passwords[] = {{0, 0, 0x30, 0xB3}, {0, 1, 0x34, 0xBB}, {1, 0, 0x38, 0xB7}, {1, 1, 0x3C, 0xBF}};
    for (const auto& p : passwords) {
        SCOPED_TRACE(p.p);
        EXPECT_EQ(sent_by([&] { return csc_153(handle, p.set, p.selector, 3, pw); }, wrong_code),
                  (std::vector<Bytes>{command_frame(0x64, {0x75, 0, 0, 0, 0, p.p, p.v, 0xAB, 0xCD, 0xEF})}));
        EXPECT_EQ(sent_by([&] { return rsct_153(handle, p.set, p.selector, 1, buffer); }),
                  (std::vector<Bytes>{read_frame(configuration_zone, p.p, 1)}));
        EXPECT_EQ(buffer[0], 0xEE);  // the wrong password cost one attempt
        EXPECT_EQ(sent_by([&] { return wsc_153(handle, p.set, p.selector, 3, pw); }),
                  (std::vector<Bytes>{write_frame(configuration_zone, p.p + 1, Bytes(pw, pw + 3))}));
        EXPECT_EQ(sent_by([&] { return rsc_153(handle, p.set, p.selector, 3, buffer); }),
                  (std::vector<Bytes>{read_frame(configuration_zone, p.p + 1, 3)}));
        EXPECT_EQ(Bytes(buffer, buffer + 3), Bytes(pw, pw + 3));
        EXPECT_EQ(csc_153(handle, p.set, p.selector, 3, pw), 0);
        EXPECT_EQ(config_byte(p.p), 0xFF);
    }
}

TEST_F(At88sc153, BlowingAFuseIsVerifiedByReadingTheFuseByte) {
    uint8_t fuses = 0;
    EXPECT_EQ(sent_by([&] { return srfus_153(handle, 1, &fuses); }), (std::vector<Bytes>{read_fuses_frame}));
    EXPECT_EQ(fuses, 0x07);
    EXPECT_EQ(sent_by([&] { return swfus_153(handle, 1); }), (std::vector<Bytes>{blow_frame(1), read_fuses_frame}));
    EXPECT_EQ(swfus_153(handle, 2), 0);
    EXPECT_EQ(vr.card_contents()[fuse_at], 0x04);

    // Fuse 2 while the fuse byte still reads 6 afterwards: the card kept it.
    set_fuse_byte(0x06);
    vr.set_fault(Fault::oversize(1, 1).at(1));  // the blow frame's reply carries a stray byte and is still fine
    EXPECT_EQ(swfus_153(handle, 2), 0);
    set_fuse_byte(0x07);
    EXPECT_EQ(swfus_153(handle, 2), QL_WRITE_FAILED);  // out of order: fuse 1 is still intact (reads 5)
    set_fuse_byte(0x07);
    EXPECT_EQ(sent_by([&] { return swfus_153(handle, 3); }, QL_WRITE_FAILED),
              (std::vector<Bytes>{blow_frame(3), read_fuses_frame}));  // the card took it: it reads 4
    EXPECT_EQ(vr.card_contents()[fuse_at], 0x04);
    EXPECT_EQ(swfus_153(handle, 0x80), QL_WRITE_FAILED);

    // A refused blow frame ends the call before the read; a failed read ends it with its status.
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(sent_by([&] { return swfus_153(handle, 4); }, -0x42), (std::vector<Bytes>{blow_frame(4)}));
    vr.set_fault(Fault::bad_bcc().at(2));
    EXPECT_EQ(swfus_153(handle, 4), QL_BAD_BCC);
}

TEST_F(At88sc153, PersonalisationIsFuse4AndSucceedsOnlyWhenTheFuseByteReads0) {
    set_fuse_byte(0x04);
    EXPECT_EQ(sent_by([&] { return psnl_153(handle); }), (std::vector<Bytes>{blow_frame(4), read_fuses_frame}));
    vr.insert_card("at88sc153");
    EXPECT_EQ(psnl_153(handle), QL_WRITE_FAILED);  // fuses 1 and 2 intact: reads 3
    EXPECT_EQ(vr.card_contents()[fuse_at], 0x03);

    // Personalised, the card closes its configuration zone to all but the secure code (set 1).
    const uint8_t secure[3] = {0x01, 0x53, 0x53};
    uint8_t shown[8] = {};
    EXPECT_EQ(csc_153(handle, 1, 0, 3, secure), wrong_code);
    EXPECT_EQ(csc_153(handle, 1, 0, 3, std::array<uint8_t, 3>{0xFF, 0xFF, 0xFF}.data()), 0);
    EXPECT_EQ(wsc_153(handle, 1, 0, 3, secure), 0);
    EXPECT_EQ(reset_153(handle, 4, shown), 0);  // forgets the presented code
    EXPECT_EQ(wdcr_153(handle, 1, secure), not_presented);
    EXPECT_EQ(rsc_153(handle, 1, 0, 3, shown), 0);
    EXPECT_EQ(Bytes(shown, shown + 3), Bytes(3, 0x00));
    EXPECT_EQ(csc_153(handle, 1, 0, 3, secure), 0);
    EXPECT_EQ(wdcr_153(handle, 1, secure), 0);
    EXPECT_EQ(rsc_153(handle, 1, 0, 3, shown), 0);
    EXPECT_EQ(Bytes(shown, shown + 3), Bytes(secure, secure + 3));
}

TEST_F(At88sc153, CardCheckAcceptsOnlyItsAnswerToReset) {
    uint8_t answer[4] = {};
    EXPECT_EQ(sent_by([&] { return reset_153(handle, 4, answer); }),
              (std::vector<Bytes>{command_frame(0x63, {0x75, 0, 0, 0, 0, 0, 4})}));
    EXPECT_EQ(chk_153(handle), 0);
    vr.insert_card("at88sc1608");
    EXPECT_EQ(chk_153(handle), QL_WRONG_CARD);
    EXPECT_EQ(reset_153(handle, 4, answer), QL_READ_FAILED);  // another family's card says nothing
    vr.insert_card("blank");
    EXPECT_EQ(chk_153(handle), QL_WRONG_CARD);
    vr.insert_card("at88sc153");
    vr.set_fault(Fault::drop());
    EXPECT_EQ(chk_153(handle), QL_WRONG_CARD);
    EXPECT_EQ(chk_153(handle), 0);
}

TEST_F(At88sc153, HostComputedAuthenticationOpensAZoneUntilTheNextReset) {
    ASSERT_EQ(swrconfig_153(handle, 40, 8, seed.data()), 0);
    const uint8_t auth_only = 0xDF;
    ASSERT_EQ(wac_153(handle, 0, 1, &auth_only), 0);
    ASSERT_EQ(psnl_153(handle), QL_WRITE_FAILED);  // fuse byte 3: personalised all the same
    uint8_t buffer[16] = {};
    EXPECT_EQ(srd_153(handle, 0, 0, 16, buffer), not_presented);

    std::mt19937 random(153);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        uint8_t q[8];
        for (uint8_t& b : q) b = static_cast<uint8_t>(random());
        const Authentication a = authenticate(handle, seed.data(), q);
        EXPECT_EQ(a.status, 0);
        EXPECT_TRUE(a.card_proved);
        EXPECT_EQ(swr_153(handle, 0, 0, 8, q), 0);
        EXPECT_EQ(srd_153(handle, 0, 0, 8, buffer), 0);
        EXPECT_TRUE(std::equal(q, q + 8, buffer));
    }
    EXPECT_EQ(reset_153(handle, 4, buffer), 0);
    EXPECT_EQ(srd_153(handle, 0, 0, 16, buffer), not_presented);

    // A wrong host is refused, one attempt is gone and the zone stays closed.
    auto wrong_seed = seed;
    wrong_seed[0] ^= 0x80;
    const uint8_t q[8] = {};
    EXPECT_EQ(authenticate(handle, wrong_seed.data(), q).status, wrong_code);
    uint8_t counter = 0;
    ASSERT_EQ(rautht_153(handle, 1, &counter), 0);
    EXPECT_EQ(counter, 0xEE);
    EXPECT_EQ(srd_153(handle, 0, 0, 16, buffer), not_presented);
    const uint8_t counters[] = {0xCC, 0x88, 0x00};
    for (uint8_t expected : counters) {
        EXPECT_EQ(authenticate(handle, wrong_seed.data(), q).status, wrong_code);
        EXPECT_EQ(config_byte(32), expected);
    }
    EXPECT_EQ(authenticate(handle, seed.data(), q).status, locked);
}

TEST_F(At88sc153, PasswordsOpenTheZonesTheirAccessRegistersName) {
    const uint8_t write_pw[3] = {0x10, 0x20, 0x30}, read_pw[3] = {0x40, 0x50, 0x60};
    const uint8_t set1_passwords = 0x3F;  // bits 7 and 6 clear, set 1
    ASSERT_EQ(wac_153(handle, 2, 1, &set1_passwords), 0);
    ASSERT_EQ(wsc_153(handle, 1, 0, 3, write_pw), 0);
    ASSERT_EQ(wsc_153(handle, 1, 1, 3, read_pw), 0);
    uint8_t buffer[8] = {};
    EXPECT_EQ(srd_153(handle, 2, 0, 8, buffer), not_presented);
    EXPECT_EQ(swr_153(handle, 2, 0, 3, write_pw), not_presented);
    EXPECT_EQ(csc_153(handle, 0, 1, 3, read_pw), wrong_code);  // set 0 is not the zone's set
    EXPECT_EQ(csc_153(handle, 1, 1, 3, read_pw), 0);
    EXPECT_EQ(srd_153(handle, 2, 0, 8, buffer), 0);
    EXPECT_EQ(swr_153(handle, 2, 0, 3, write_pw), not_presented);
    EXPECT_EQ(csc_153(handle, 1, 0, 3, write_pw), 0);
    EXPECT_EQ(swr_153(handle, 2, 0, 3, write_pw), 0);
    EXPECT_TRUE(std::equal(write_pw, write_pw + 3, vr.card_contents().begin() + 128));
    EXPECT_EQ(srd_153(handle, 1, 0, 8, buffer), 0);  // zone 1 is free
}

}  // namespace

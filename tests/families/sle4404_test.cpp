// SLE4404 cards through the real serial path, against the virtual card on a pseudo-terminal at
// 115200 baud: exact frames, argument checks that send nothing, the counters and flags, and the
// card's life from the issuer's preparation through personalisation to its use.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "quillet.h"
#include "tests/families/security_cards.h"

namespace {

using namespace quillet::test;
using namespace quillet::test::security;

constexpr uint8_t type = 0x7A;
constexpr size_t fuse_at = 52;  // the image: 52 bytes, then the fuse byte
const Bytes factory_code{0xFF, 0xFF};
const Bytes factory_erase_code{0xFF, 0xFF, 0xFF, 0xFF};

class Sle4404 : public SecuritySession {
protected:
    Sle4404() : SecuritySession("sle4404") {}

    Bytes read(int16_t offset, int16_t length) {
        Bytes out(static_cast<size_t>(length));
        EXPECT_EQ(srd_4404(handle, offset, length, out.data()), 0);
        return out;
    }
};

TEST_F(Sle4404, CodeFramesAndCompositeWrites) {
    const Bytes code{0x5A, 0xC3};
    const Bytes erase_code{0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(sent_by([&] { return csc_4404(handle, 2, factory_code.data()); }),
              (std::vector<Bytes>{Bytes{0xAA, 0x64, 0x00, 0x07, 0x7A, 0, 0, 0, 0, 0xFF, 0xFF, 0xB3}}));
    EXPECT_EQ(sent_by([&] { return wsc_4404(handle, 2, code.data()); }),
              (std::vector<Bytes>{counted(0x76, type, 8, 2), with_data(0x60, type, 8, code)}));
    EXPECT_EQ(sent_by([&] { return wesc_4404(handle, 4, erase_code.data()); }),
              (std::vector<Bytes>{counted(0x76, type, 40, 4), with_data(0x60, type, 40, erase_code)}));
    EXPECT_EQ(sent_by([&] { return cesc_4404(handle, 4, erase_code.data()); }),
              (std::vector<Bytes>{with_data(0x68, type, 0, erase_code)}));
    uint8_t back[4] = {};
    EXPECT_EQ(sent_by([&] { return rsc_4404(handle, 2, back); }), (std::vector<Bytes>{counted(0x61, type, 8, 2)}));
    EXPECT_EQ(Bytes(back, back + 2), code);
    EXPECT_EQ(sent_by([&] { return resc_4404(handle, 4, back); }), (std::vector<Bytes>{counted(0x61, type, 40, 4)}));
    EXPECT_EQ(Bytes(back, back + 4), erase_code);

    // A failed erase sends no write; the code stays as it was.
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(sent_by([&] { return wsc_4404(handle, 2, factory_code.data()); }, -0x42).size(), 1u);
    EXPECT_EQ(read(8, 2), code);
    // A failed write after the erase leaves the code erased.
    vr.set_fault(Fault::status(0x42).at(2));
    EXPECT_EQ(wsc_4404(handle, 2, code.data()), -0x42);
    EXPECT_EQ(read(8, 2), factory_code);
}

TEST_F(Sle4404, FuseFramesAndTheSimulatedFuse) {
    for (int16_t flag : {int16_t{1}, int16_t{-1}, int16_t{0}}) {
        const uint8_t f = flag != 0 ? 0xFF : 0x00;
        EXPECT_EQ(sent_by([&] { return fakefus_4404(handle, flag); }),
                  (std::vector<Bytes>{with_data(0x80, type, 0, {f})}));
    }
    ASSERT_EQ(csc_4404(handle, 2, factory_code.data()), 0);
    const uint8_t issuer = 0x12;
    ASSERT_EQ(fakefus_4404(handle, 1), 0);
    EXPECT_EQ(swr_4404(handle, 2, 1, &issuer), kept) << "the simulated fuse freezes the issuer data";
    ASSERT_EQ(fakefus_4404(handle, 0), 0);
    EXPECT_EQ(swr_4404(handle, 2, 1, &issuer), 0);
    EXPECT_EQ(vr.card_contents()[fuse_at], 0xFF) << "only simulated";

    EXPECT_EQ(sent_by([&] { return psnl_4404(handle); }),
              (std::vector<Bytes>{Bytes{0xAA, 0x71, 0x00, 0x05, 0x7A, 0, 0, 0, 0, 0xA4}}));
    EXPECT_EQ(vr.card_contents()[fuse_at], 0x00);
    ASSERT_EQ(fakefus_4404(handle, 0), 0);
    EXPECT_EQ(swr_4404(handle, 3, 1, &issuer), kept) << "a blown fuse stays blown";
}

TEST_F(Sle4404, CountersCountTheirOwnBits) {
    use_card("sle4404", [](Bytes& b) {
        b[10] = 0x3F;
        for (size_t i = 44; i < 52; ++i) b[i] = 0x81;
    });
    int16_t count = -1;
    EXPECT_EQ(sent_by([&] { return rsct_4404(handle, &count); }), (std::vector<Bytes>{counted(0x61, type, 10, 1)}));
    EXPECT_EQ(count, 2) << "bits 4 and 5 of 0x3F";
    EXPECT_EQ(sent_by([&] { return resct_4404(handle, &count); }), (std::vector<Bytes>{counted(0x61, type, 44, 8)}));
    EXPECT_EQ(count, 16);

    vr.set_fault(Fault::status(0x01));
    EXPECT_EQ(resct_4404(handle, &count), -1);
    vr.set_fault(Fault::oversize(0));
    EXPECT_EQ(rsct_4404(handle, &count), QL_READ_FAILED);
    EXPECT_EQ(count, 16) << "a failed read leaves the count alone";
}

TEST_F(Sle4404, FlagsAreClearedOnlyWhenSet) {
    ASSERT_EQ(csc_4404(handle, 2, factory_code.data()), 0);
    EXPECT_EQ(sent_by([&] { return clrrd_4404(handle); }),
              (std::vector<Bytes>{counted(0x61, type, 14, 1), with_data(0x60, type, 14, {0xBF})}));
    EXPECT_EQ(sent_by([&] { return clrrd_4404(handle); }), (std::vector<Bytes>{counted(0x61, type, 14, 1)}));
    EXPECT_EQ(sent_by([&] { return clrpr_4404(handle); }),
              (std::vector<Bytes>{counted(0x61, type, 14, 1), with_data(0x60, type, 14, {0x3F})}));
    EXPECT_EQ(vr.card_contents()[14], 0x3F);
    power_cycle();
    EXPECT_EQ(clrpr_4404(handle), 0) << "already clear: nothing written, nothing refused";
}

TEST_F(Sle4404, IssuerPreparesPersonalisesAndTheCardIsUsed) {
    const Bytes issuer = pattern(6, 0x10);
    const Bytes user = pattern(25, 0x40);
    const Bytes code{0x5A, 0xC3};
    const Bytes erase_code{0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(chk_4404(handle), 0);
    EXPECT_EQ(swr_4404(handle, 2, 6, issuer.data()), not_presented);
    ASSERT_EQ(csc_4404(handle, 2, factory_code.data()), 0);
    ASSERT_EQ(swr_4404(handle, 2, 6, issuer.data()), 0);
    ASSERT_EQ(swr_4404(handle, 15, 25, user.data()), 0);
    ASSERT_EQ(wsc_4404(handle, 2, code.data()), 0);
    ASSERT_EQ(wesc_4404(handle, 4, erase_code.data()), 0);
    ASSERT_EQ(psnl_4404(handle), 0);

    // Issued: the issuer data is frozen, the codes read as zeros until presented.
    power_cycle();
    EXPECT_EQ(read(2, 6), issuer);
    EXPECT_EQ(read(8, 2), (Bytes{0, 0}));
    EXPECT_EQ(read(40, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(csc_4404(handle, 2, factory_code.data()), wrong_code) << "the new code replaced FF FF";
    ASSERT_EQ(csc_4404(handle, 2, code.data()), 0);
    EXPECT_EQ(read(8, 2), code);
    EXPECT_EQ(swr_4404(handle, 2, 1, issuer.data()), kept);

    // Writing only clears bits; erasing the user area takes the erase code, and each
    // presentation of it one bit of the erase counter.
    const uint8_t low = 0x0F, high = 0xF0;
    ASSERT_EQ(swr_4404(handle, 20, 1, &low), 0);
    ASSERT_EQ(swr_4404(handle, 20, 1, &high), 0);
    EXPECT_EQ(read(20, 1), (Bytes{0x00}));
    EXPECT_EQ(ser_4404(handle, 13, 27), not_presented);
    EXPECT_EQ(cesc_4404(handle, 4, factory_erase_code.data()), wrong_code);
    ASSERT_EQ(cesc_4404(handle, 4, erase_code.data()), 0);
    int16_t count = 0;
    ASSERT_EQ(resct_4404(handle, &count), 0);
    EXPECT_EQ(count, 62);
    ASSERT_EQ(ser_4404(handle, 13, 27), 0);
    EXPECT_EQ(read(13, 27), Bytes(27, 0xFF));
    EXPECT_EQ(read(40, 4), erase_code) << "shown once presented";

    // The read flag hides the user area until the code is presented; the protect flag freezes it.
    ASSERT_EQ(swr_4404(handle, 15, 25, user.data()), 0);
    ASSERT_EQ(clrrd_4404(handle), 0);
    power_cycle();
    EXPECT_EQ(read(14, 3), (Bytes{0xBF, 0, 0}));
    ASSERT_EQ(csc_4404(handle, 2, code.data()), 0);
    EXPECT_EQ(read(15, 25), user);
    ASSERT_EQ(clrpr_4404(handle), 0);
    ASSERT_EQ(cesc_4404(handle, 4, erase_code.data()), 0);
    EXPECT_EQ(swr_4404(handle, 30, 1, &low), kept);
    EXPECT_EQ(ser_4404(handle, 13, 27), kept);
    EXPECT_EQ(read(15, 25), user);
}

TEST_F(Sle4404, FourWrongCodesLockTheCardForGood) {
    const Bytes wrong{0x12, 0x34};
    int16_t count = -1;
    for (int16_t left = 3; left >= 0; --left) {
        EXPECT_EQ(csc_4404(handle, 2, wrong.data()), wrong_code);
        ASSERT_EQ(rsct_4404(handle, &count), 0);
        EXPECT_EQ(count, left);
    }
    EXPECT_EQ(vr.card_contents()[10], 0x0F) << "bits 0..3 are no part of the counter";
    EXPECT_EQ(csc_4404(handle, 2, factory_code.data()), locked);
    EXPECT_EQ(swr_4404(handle, 11, 1, wrong.data()), locked);
    EXPECT_EQ(wsc_4404(handle, 2, wrong.data()), locked);
    EXPECT_EQ(psnl_4404(handle), locked);

    // The erase counter ends the erase code's presentations the same way.
    use_card("sle4404", [](Bytes& b) {
        std::fill(b.begin() + 44, b.begin() + 52, uint8_t{0});
        b[51] = 0x01;
    });
    EXPECT_EQ(cesc_4404(handle, 4, factory_erase_code.data()), 0);
    EXPECT_EQ(cesc_4404(handle, 4, factory_erase_code.data()), locked);
    ASSERT_EQ(resct_4404(handle, &count), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(Sle4404, CardCheck) {
    EXPECT_EQ(sent_by([&] { return chk_4404(handle); }), (std::vector<Bytes>{counted(0x61, type, 0, 3)}));
    use_card("sle4404", [](Bytes& b) { b[0] = 0x81, b[1] = 0x24; });
    EXPECT_EQ(chk_4404(handle), 0);
    use_card("sle4404", [](Bytes& b) { b[0] = 0x12, b[1] = 0x34; });
    EXPECT_EQ(chk_4404(handle), QL_WRONG_CARD);
    const uint8_t codes[4] = {0x55, 0x66, 0x12, 0x34};
    ASSERT_EQ(set_code(3, 2, 4, codes), 0);
    EXPECT_EQ(chk_4404(handle), 0) << "the second code registered under family index 3";
    ASSERT_EQ(set_code(4, 2, 4, codes), 0);
    ASSERT_EQ(set_code(3, 0, 0, codes), 0);
    EXPECT_EQ(chk_4404(handle), QL_WRONG_CARD) << "family index 4 belongs to the SLE4406";
    ASSERT_EQ(set_code(4, 0, 0, codes), 0);
    use_card("at88sc101");
    EXPECT_EQ(chk_4404(handle), QL_WRONG_CARD);
    vr.remove_card();
    EXPECT_EQ(chk_4404(handle), no_card) << "the read's own status";
}

TEST_F(Sle4404, ContentsComeFromAFileAndAreSavedBack) {
    expect_contents_kept_in_file("sle4404");
    const std::string file = vr.directory() + "/issued.bin";
    {
        VirtualReaderProcess filed{{"--card", "sle4404:" + file, "--save", "--rate", "115200"}};
        filed.export_port(1);
        const int32_t h = ic_init(1, 115200);
        ASSERT_GE(h, 0);
        ASSERT_EQ(csc_4404(h, 2, factory_code.data()), 0);
        const uint8_t byte = 0x42;
        ASSERT_EQ(swr_4404(h, 30, 1, &byte), 0);
        ASSERT_EQ(psnl_4404(h), 0);
        ic_exit(h);
        EXPECT_TRUE(filed.stop());
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(saved.size(), fuse_at + 1);
    EXPECT_EQ(saved[30], 0x42);
    EXPECT_EQ(saved[fuse_at], 0x00);
}

}  // namespace

// SLE4428 and SLE4418 cards through the real serial path, against the virtual cards on a
// pseudo-terminal at 115200 baud: chunking, exact frames, argument checks that send nothing, the
// protection bits and the SLE4428's code with its eight attempts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;


constexpr size_t counter_at = 1021;
const uint8_t factory_code[2] = {0xFF, 0xFF};

class Sle4428 : public quillet::test::CardSession {
protected:
    Sle4428() : CardSession("sle4428") {}


};

TEST_F(Sle4428, WholeCardReadsInEightFrames) {
    const Bytes image = vr.card_contents();
    Bytes buffer(1024);
    ASSERT_EQ(srd_4428(handle, 0, 1024, buffer.data()), 0);
    std::vector<Bytes> expected;
    for (int a = 0; a < 1008; a += 144) expected.push_back(counted(0x61, 0x77, a, 144));
    expected.push_back(counted(0x61, 0x77, 1008, 16));
    EXPECT_EQ(vr.host_frames(), expected);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 1022, image.begin()));
    EXPECT_EQ(buffer[1022], 0x00) << "the code reads as zeros until presented";
    EXPECT_EQ(buffer[1023], 0x00);
}

TEST_F(Sle4428, ProtectedReadsTakeSeventyTwoAddressesAFrame) {
    Bytes buffer(300, 0xEE);
    ASSERT_EQ(rdwpb_4428(handle, 0, 145, buffer.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x6E, 0x77, 0, 72), counted(0x6E, 0x77, 72, 72),
                                                    counted(0x6E, 0x77, 144, 1)}));
    const Bytes image = vr.card_contents();
    for (size_t a = 0; a < 145; ++a) {
        EXPECT_EQ(buffer[2 * a], image[a]);
        EXPECT_EQ(buffer[2 * a + 1], a < 4 ? 0x00 : 0x01) << "bytes 0..3 are protected as made, at " << a;
    }
    EXPECT_EQ(buffer[290], 0xEE) << "290 bytes filled, no more";
}

TEST_F(Sle4428, CodeFramesAndTheCodeBehindTheLastAddresses) {
    const uint8_t code[2] = {0x5A, 0xC3};
    int16_t count = 0;
    uint8_t back[2] = {};
    ASSERT_EQ(csc_4428(handle, 2, factory_code), 0);
    ASSERT_EQ(wsc_4428(handle, 2, code), 0);
    ASSERT_EQ(rsc_4428(handle, 2, back), 0);
    ASSERT_EQ(rsct_4428(handle, &count), 0);
    EXPECT_EQ(vr.host_frames(),
              (std::vector<Bytes>{with_data(0x64, 0x77, 0, factory_code, 2), with_data(0x60, 0x77, 1022, code, 2),
                                  counted(0x61, 0x77, 1022, 2), counted(0x67, 0x77, 0, 1)}));
    EXPECT_EQ(vr.host_frames()[1], (Bytes{0xAA, 0x60, 0x00, 0x07, 0x77, 0, 0, 0x03, 0xFE, 0x5A, 0xC3, 0xDE}));
    EXPECT_EQ(Bytes(back, back + 2), Bytes(code, code + 2));
    EXPECT_EQ(count, 8);

    // rsc_4428 is srd_4428(1022, 2): the read's own status comes back.
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(rsc_4428(handle, 2, back), -0x42);
    ASSERT_EQ(turn_off(handle), 0);
    ASSERT_EQ(turn_on(handle), 0);
    EXPECT_EQ(csc_4428(handle, 2, factory_code), wrong_code) << "the new code replaced FF FF";
    EXPECT_EQ(csc_4428(handle, 2, code), 0);
}

TEST_F(Sle4428, SessionWritesProtectsAndReadsBack) {
    EXPECT_EQ(chk_4428(handle), 0);
    const Bytes data = pattern(300, 3, 13);
    vr.clear_log();
    EXPECT_EQ(swr_4428(handle, 100, 300, data.data()), not_presented);
    EXPECT_EQ(vr.host_frames().size(), 1u) << "the first refused chunk ends the call";
    ASSERT_EQ(csc_4428(handle, 2, factory_code), 0);
    vr.clear_log();
    ASSERT_EQ(swr_4428(handle, 100, 300, data.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{with_data(0x60, 0x77, 100, data.data(), 144),
                                                    with_data(0x60, 0x77, 244, data.data() + 144, 144),
                                                    with_data(0x60, 0x77, 388, data.data() + 288, 12)}));
    Bytes back(300);
    ASSERT_EQ(srd_4428(handle, 100, 300, back.data()), 0);
    EXPECT_EQ(back, data);

    // A protected write protects what it writes; protection takes only the bytes that match.
    const uint8_t fresh[3] = {1, 2, 3};
    ASSERT_EQ(wrwpb_4428(handle, 500, 3, fresh), 0);
    const uint8_t presented[4] = {data[200], data[201], static_cast<uint8_t>(data[202] ^ 1), data[203]};
    EXPECT_EQ(pwr_4428(handle, 300, 4, presented), 0) << "nothing is verified afterwards";
    uint8_t pairs[8] = {};
    ASSERT_EQ(rdwpb_4428(handle, 300, 4, pairs), 0);
    EXPECT_EQ(Bytes(pairs, pairs + 8), (Bytes{data[200], 0, data[201], 0, data[202], 1, data[203], 0}));
    ASSERT_EQ(rdwpb_4428(handle, 500, 3, pairs), 0);
    EXPECT_EQ(Bytes(pairs, pairs + 6), (Bytes{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(swr_4428(handle, 501, 1, fresh), kept);
    EXPECT_EQ(swr_4428(handle, 302, 1, fresh), 0);
    EXPECT_EQ(vr.card_contents()[501], 2);
}

TEST_F(Sle4428, EightWrongCodesLockTheCard) {
    const uint8_t wrong[2] = {0x12, 0x34};
    int16_t count = -1;
    for (int left = 7; left >= 0; --left) {
        EXPECT_EQ(csc_4428(handle, 2, wrong), wrong_code);
        ASSERT_EQ(rsct_4428(handle, &count), 0);
        EXPECT_EQ(count, left);
    }
    EXPECT_EQ(vr.card_contents()[counter_at], 0x00);
    EXPECT_EQ(csc_4428(handle, 2, factory_code), locked);
    EXPECT_EQ(swr_4428(handle, 10, 1, wrong), locked);
    EXPECT_EQ(wsc_4428(handle, 2, wrong), locked);
    EXPECT_EQ(pwr_4428(handle, 10, 1, wrong), locked);

    for (auto [counter, bits] : {std::pair<int, int>{0xFF, 8}, std::pair<int, int>{0x00, 0}}) {
        use_card("sle4428", [c = counter](Bytes& b) { b[counter_at] = static_cast<uint8_t>(c); });
        ASSERT_EQ(rsct_4428(handle, &count), 0);
        EXPECT_EQ(count, bits);
    }
}

TEST_F(Sle4428, CardChecks) {
    EXPECT_EQ(chk_4428(handle), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x61, 0x77, 0, 4)}));
    use_card("sle4428", [](Bytes& b) { b[3] = 0x90; });
    EXPECT_EQ(chk_4428(handle), QL_WRONG_CARD);
    use_card("sle4428", [](Bytes& b) { b[0] = 0xDE, b[1] = 0xAD, b[2] = 0xBE, b[3] = 0xEF; });
    const uint8_t codes[8] = {0x01, 0x02, 0x03, 0x04, 0xDE, 0xAD, 0xBE, 0xEF};
    ASSERT_EQ(set_code(6, 2, 8, codes), 0);
    EXPECT_EQ(chk_4428(handle), 0) << "the second registered 4-byte code";
    ASSERT_EQ(set_code(6, 0, 0, codes), 0);
    EXPECT_EQ(chk_4428(handle), QL_WRONG_CARD);
    use_card("sle4442");
    EXPECT_EQ(chk_4428(handle), QL_WRONG_CARD);

    // chk_4418 sends nothing and needs neither card nor reader.
    vr.remove_card();
    vr.clear_log();
    EXPECT_EQ(chk_4418(handle), 0);
    EXPECT_EQ(chk_4418(-1), 0);
    EXPECT_TRUE(vr.host_frames().empty());
}

TEST_F(Sle4428, Sle4418UsesItsOwnCardTypeAndNeedsNoCode) {
    use_card("sle4418");
    const Bytes data = pattern(150, 5, 13);
    ASSERT_EQ(swr_4418(handle, 874, 150, data.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{with_data(0x60, 0x76, 874, data.data(), 144),
                                                    with_data(0x60, 0x76, 1018, data.data() + 144, 6)}));
    Bytes back(150);
    ASSERT_EQ(srd_4418(handle, 874, 150, back.data()), 0);
    EXPECT_EQ(back, data);
    ASSERT_EQ(wrwpb_4418(handle, 1023, 1, data.data()), 0);
    ASSERT_EQ(pwr_4418(handle, 1000, 1, back.data() + 126), 0);
    uint8_t pairs[2] = {};
    ASSERT_EQ(rdwpb_4418(handle, 1023, 1, pairs), 0);
    EXPECT_EQ(Bytes(pairs, pairs + 2), (Bytes{data[0], 0x00}));
    EXPECT_EQ(swr_4418(handle, 1000, 1, data.data()), kept);
    EXPECT_EQ(vr.card_contents().size(), 1024u + 128u);
}

TEST_F(Sle4428, ShortReplyIsAFailedRead) {
    Bytes buffer(290, 0xEE);
    vr.set_fault(Fault::oversize(100).at(2));
    EXPECT_EQ(rdwpb_4428(handle, 0, 145, buffer.data()), QL_READ_FAILED) << "72 addresses need 144 bytes";
    EXPECT_EQ(buffer[144], 0xEE);
    EXPECT_NE(buffer[0], 0xEE) << "the first chunk stays done";
}

}  // namespace

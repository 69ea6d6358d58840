// SLE4406 and SLE4436 cards through the real serial path, against the virtual counter cards on a
// pseudo-terminal at 115200 baud: exact frames, argument checks that send nothing, the confirmed
// code presentation, personalisation, and a counter that only ever goes down.
#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "quillet.h"
#include "tests/families/security_cards.h"

namespace {

using namespace quillet::test;
using namespace quillet::test::security;

constexpr uint8_t type = 0x7B;
const Bytes factory_code{0xFF, 0xFF, 0xFF};

// The counter's value in units: the 1 bits of stages 8..12 (bit 7 of byte 8 excluded), a unit of
// a stage worth nine of the stage below.
uint32_t counter_value(const Bytes& card) {
    uint32_t value = 0;
    for (size_t a = 8; a < 13; ++a) {
        const uint8_t bits = a == 8 ? 0x7F : 0xFF;
        value = value * 9 + static_cast<uint32_t>(std::popcount(static_cast<uint8_t>(card[a] & bits)));
    }
    return value;
}

class Sle4406 : public SecuritySession {
protected:
    Sle4406() : SecuritySession("sle4406") {}

    // A card issued with the counter bytes 8..12 as given (bit 7 of byte 8 clear).
    void use_issued(const Bytes& counter) {
        use_card("sle4406", [&](Bytes& b) { std::copy(counter.begin(), counter.end(), b.begin() + 8); });
    }
};

TEST_F(Sle4406, PresentedCodeIsConfirmedByReadingItBack) {
    EXPECT_EQ(sent_by([&] { return csc_4406(handle, 3, factory_code.data()); }),
              (std::vector<Bytes>{Bytes{0xAA, 0x64, 0x00, 0x08, 0x7B, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x42},
                                  counted(0x61, type, 10, 3)}));
    // The reader carries the presentation out, but the bytes read back differ.
    vr.set_fault(Fault::corrupt().at(2));
    EXPECT_EQ(csc_4406(handle, 3, factory_code.data()), QL_WRITE_FAILED);
    // A refused presentation reads nothing back.
    const Bytes wrong{1, 2, 3};
    EXPECT_EQ(sent_by([&] { return csc_4406(handle, 3, wrong.data()); }, wrong_code).size(), 1u);
    // A failed read-back gives the read's own status.
    vr.set_fault(Fault::status(0x21).at(2));
    EXPECT_EQ(csc_4406(handle, 3, factory_code.data()), -0x21);
}

TEST_F(Sle4406, IssuerPreparesPersonalisesAndTheCounterOnlyGoesDown) {
    const Bytes issuer = pattern(6, 0x21);
    const Bytes code{0x12, 0x34, 0x56};
    uint8_t back[3] = {};
    EXPECT_EQ(chk_4406(handle), 0);
    ASSERT_EQ(rsc_4406(handle, 3, back), 0);
    EXPECT_EQ(Bytes(back, back + 3), (Bytes{0, 0, 0})) << "hidden until presented";
    EXPECT_EQ(swr_4406(handle, 2, 6, issuer.data()), not_presented);
    ASSERT_EQ(csc_4406(handle, 3, factory_code.data()), 0);
    ASSERT_EQ(swr_4406(handle, 2, 6, issuer.data()), 0);
    EXPECT_EQ(sent_by([&] { return wsc_4406(handle, 3, code.data()); }),
              (std::vector<Bytes>{with_data(0x60, type, 10, code)}))
        << "one write, nothing erased first";
    const uint8_t counter_byte_9 = 0x00;
    EXPECT_EQ(swr_4406(handle, 9, 1, &counter_byte_9), kept) << "the error counter is the card's";

    power_cycle();
    EXPECT_EQ(csc_4406(handle, 3, factory_code.data()), wrong_code);
    int16_t count = 0;
    ASSERT_EQ(rsct_4406(handle, &count), 0);
    EXPECT_EQ(count, 7);
    ASSERT_EQ(csc_4406(handle, 3, code.data()), 0);
    ASSERT_EQ(rsct_4406(handle, &count), 0);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(sent_by([&] { return psnl_4406(handle); }),
              (std::vector<Bytes>{counted(0x61, type, 8, 1), with_data(0x60, type, 8, {0x7F})}));
    EXPECT_EQ(sent_by([&] { return psnl_4406(handle); }), (std::vector<Bytes>{counted(0x61, type, 8, 1)}));

    // Issued: the issuer data is frozen, the code is gone, the counter counts down.
    EXPECT_EQ(swr_4406(handle, 2, 1, issuer.data()), kept);
    EXPECT_EQ(csc_4406(handle, 3, code.data()), kept);
    uint32_t value = counter_value(vr.card_contents());
    const auto lowered = [&](int16_t status) {
        EXPECT_EQ(status, 0);
        const uint32_t now = counter_value(vr.card_contents());
        EXPECT_LT(now, value);
        value = now;
    };
    lowered(eswc_4406(handle, 12));
    const uint8_t empty = 0x00, full = 0xFF;
    lowered(swr_4406(handle, 12, 1, &empty));
    EXPECT_EQ(eswc_4406(handle, 12), kept) << "nothing left in the stage";
    const uint32_t before_carry = value;
    lowered(eswc_4406(handle, 11));
    EXPECT_EQ(value, before_carry - 1) << "a step from an empty stage below spends exactly one unit";
    EXPECT_EQ(vr.card_contents()[12], 0xFF);
    ASSERT_EQ(swr_4406(handle, 11, 1, &full), 0);
    EXPECT_EQ(counter_value(vr.card_contents()), value) << "a write never raises the counter";
    lowered(eswc_4406(handle, 8));
    EXPECT_EQ(vr.card_contents()[8] & 0x80, 0) << "the step leaves the personalisation bit alone";
}

TEST_F(Sle4406, CounterStepsReachTheLastUnit) {
    use_issued({0x01, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(counter_value(vr.card_contents()), 9u * 9 * 9 * 9);
    ASSERT_EQ(eswc_4406(handle, 8), 0);
    EXPECT_EQ(vr.card_contents()[8], 0x00);
    EXPECT_EQ(counter_value(vr.card_contents()), 9u * 9 * 9 * 9 - 1);
    use_issued({0x00, 0x00, 0x00, 0x00, 0x01});
    ASSERT_EQ(eswc_4406(handle, 12), 0);
    EXPECT_EQ(counter_value(vr.card_contents()), 0u);
    for (int16_t stage = 8; stage <= 12; ++stage) EXPECT_EQ(eswc_4406(handle, stage), kept) << stage;
}

TEST_F(Sle4406, EightWrongCodesLockTheCardForGood) {
    const Bytes wrong{0x12, 0x34, 0x56};
    int16_t count = -1;
    for (int16_t left = 7; left >= 0; --left) {
        EXPECT_EQ(csc_4406(handle, 3, wrong.data()), wrong_code);
        ASSERT_EQ(rsct_4406(handle, &count), 0);
        EXPECT_EQ(count, left);
    }
    EXPECT_EQ(csc_4406(handle, 3, factory_code.data()), locked);
    EXPECT_EQ(swr_4406(handle, 2, 1, wrong.data()), locked);
    EXPECT_EQ(psnl_4406(handle), locked);
    use_card("sle4406", [](Bytes& b) { b[9] = 0x3F; });
    ASSERT_EQ(rsct_4406(handle, &count), 0);
    EXPECT_EQ(count, 6);
    vr.set_fault(Fault::status(0x01));
    EXPECT_EQ(rsct_4406(handle, &count), -1);
    EXPECT_EQ(count, 6);
}

TEST_F(Sle4406, CardChecksOfBothKinds) {
    EXPECT_EQ(sent_by([&] { return chk_4436(handle); }, QL_WRONG_CARD),
              (std::vector<Bytes>{counted(0x61, type, 0, 3)}));
    EXPECT_EQ(chk_4406(handle), 0);
    use_card("sle4436");
    EXPECT_EQ(chk_4436(handle), 0);
    EXPECT_EQ(chk_4406(handle), QL_WRONG_CARD);
    use_card("sle4406", [](Bytes& b) { b[0] = 0, b[1] = 0, b[2] = 0x22; });
    EXPECT_EQ(chk_4406(handle), 0) << "byte 2 alone";
    EXPECT_EQ(chk_4436(handle), QL_WRONG_CARD);
    use_card("sle4406", [](Bytes& b) { b[0] = 0x12, b[1] = 0x34, b[2] = 0x5F; });
    EXPECT_EQ(chk_4436(handle), 0);
    EXPECT_EQ(chk_4406(handle), QL_WRONG_CARD);
    const uint8_t codes[2] = {0x12, 0x34};
    ASSERT_EQ(set_code(4, 1, 2, codes), 0);
    EXPECT_EQ(chk_4406(handle), 0) << "family index 4 serves both checks";
    ASSERT_EQ(set_code(4, 0, 0, codes), 0);
    use_card("sle4404");
    EXPECT_EQ(chk_4406(handle), QL_WRONG_CARD);
    vr.remove_card();
    EXPECT_EQ(chk_4406(handle), QL_WRONG_CARD) << "a failed read is a wrong card";
    EXPECT_EQ(chk_4436(handle), QL_WRONG_CARD);
}

TEST_F(Sle4406, ContentsComeFromAFileAndAreSavedBack) {
    expect_contents_kept_in_file("sle4406");
    expect_contents_kept_in_file("sle4436");
}

}  // namespace
